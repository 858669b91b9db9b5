#pragma once

#include "sim/CommandDevice.h"
#include "sim/KeyboardModel.h"

namespace marlo::sim {

// The keyboard's 2.4 GHz receiver: the same collections under its own IDs. While the
// keyboard is linked it passes every command through; while it is not, it answers with
// command code 0xAA. The link check (0xAA) answers 0xFF in byte 8 while linked.
class ReceiverDevice : public CommandDevice {
  public:
    ReceiverDevice();
    KeyboardModel& model() { return model_; }
    void SetLinked(bool linked) { linked_ = linked; }
    bool linked() const { return linked_; }

  protected:
    Report Answer(Request request) override;
    void DumpState(Json::Value& dump) const override;

  private:
    KeyboardModel model_;
    bool linked_ = true;
};

}  // namespace marlo::sim
