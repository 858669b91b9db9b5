# The libraries of the project and, for each, the libraries of ours it may use: those of the
# layers below it. marlo_library refuses any other edge, so the build fails on a library that
# reaches up or sideways; tests/layers checks that the include paths follow the same rule.
#
#   app (marlo-gear)          ui_qt
#   panels  hook  online
#   pages (the devices' pages)
#   devices (the drivers)   sim
#   ui  hid  profiles  chip  audio
#   platform
set(MARLO_LAYER_EDGES_marlo_platform "")
set(MARLO_LAYER_EDGES_marlo_audio "")
set(MARLO_LAYER_EDGES_marlo_chip marlo_platform)
set(MARLO_LAYER_EDGES_marlo_hid marlo_platform)
set(MARLO_LAYER_EDGES_marlo_profiles marlo_platform)
set(MARLO_LAYER_EDGES_marlo_ui marlo_platform)
set(MARLO_LAYER_EDGES_marlo_ui_qt marlo_ui marlo_platform)
# The simulator keeps its own tables, so that it checks the program's rather than share them.
set(MARLO_LAYER_EDGES_marlo_sim marlo_hid marlo_platform)
# The drivers know nothing of the toolkit; their pages do.
set(MARLO_LAYER_EDGES_marlo_devices marlo_hid marlo_profiles marlo_platform)
set(MARLO_LAYER_EDGES_marlo_pages marlo_devices marlo_hid marlo_profiles marlo_ui marlo_platform)
set(MARLO_LAYER_EDGES_marlo_online marlo_hid marlo_platform)
set(MARLO_LAYER_EDGES_marlo_hook marlo_ui marlo_platform)
set(MARLO_LAYER_EDGES_marlo_panels marlo_pages marlo_devices marlo_profiles marlo_ui marlo_hid marlo_platform)
set(MARLO_LAYER_EDGES_marlo_app
    marlo_panels marlo_hook marlo_pages marlo_devices marlo_online marlo_ui marlo_hid marlo_profiles
    marlo_platform)

# Fails the configuration when `library` names a library of ours it may not use.
function(marlo_check_layer library)
    if(NOT DEFINED MARLO_LAYER_EDGES_${library})
        message(FATAL_ERROR "${library} is not in cmake/Layers.cmake: give it its layer there")
    endif()
    foreach(dependency IN LISTS ARGN)
        if(dependency MATCHES "^marlo_" AND NOT dependency IN_LIST MARLO_LAYER_EDGES_${library})
            message(FATAL_ERROR "${library} may not use ${dependency}: cmake/Layers.cmake lists "
                                "the libraries each layer may use")
        endif()
    endforeach()
endfunction()
