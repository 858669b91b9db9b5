#pragma once

#include "sim/CommandDevice.h"
#include "sim/KeyboardModel.h"

namespace marlo::sim {

// The keyboard on its cable: interface 1 with its event and command collections.
class KeyboardDevice : public CommandDevice {
  public:
    explicit KeyboardDevice(bool withFn = true,
                            KeyboardModel::TableRead tableRead = KeyboardModel::TableRead::kFactoryKeys);
    KeyboardModel& model() { return model_; }

  protected:
    Report Answer(Request request) override { return model_.Answer(request); }
    void DumpState(Json::Value& dump) const override { model_.Dump(dump); }

  private:
    KeyboardModel model_;
};

}  // namespace marlo::sim
