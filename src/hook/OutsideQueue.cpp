#include "hook/OutsideQueue.h"

namespace marlo::hook {

void COutsideQueue::AddMove(OutsideInput& into, const OutsideInput& more) {
    into.dx = CInputEventTranslator::Clamped(int64_t{into.dx} + more.dx);
    into.dy = CInputEventTranslator::Clamped(int64_t{into.dy} + more.dy);
}

bool COutsideQueue::Push(const OutsideInput& input) {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = waiting_.empty();
    if (input.kind == OutsideInput::Kind::kMove && !waiting_.empty() &&
        waiting_.back().kind == OutsideInput::Kind::kMove) {
        AddMove(waiting_.back(), input);
    } else if (waiting_.size() < kMax) {
        waiting_.push_back(input);
    } else {
        ++dropped_;
    }
    return wasEmpty;
}

std::vector<OutsideInput> COutsideQueue::Take() {
    std::lock_guard lock(mutex_);
    std::vector<OutsideInput> taken;
    taken.swap(waiting_);
    return taken;
}

uint64_t COutsideQueue::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace marlo::hook
