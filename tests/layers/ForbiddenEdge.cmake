cmake_minimum_required(VERSION 3.25)
# A library that names a library its layer may not use: the layers file refuses it.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/Layers.cmake)
marlo_check_layer(marlo_sim marlo_devices)
