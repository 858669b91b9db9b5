#pragma once

#include <unordered_map>
#include <vector>

class QRect;
class QWidget;

namespace marlo::ui {

class CControlUI;
class CPaintManagerUI;

// The Qt widgets that show one window's controls: one peer per control, made when the tree
// is attached. A peer mirrors its control (text, visibility, enabled, colours, selection,
// value, items) and turns the person's input into the control's own events, so the
// notifications are those of the headless backend.
class ControlPeers {
  public:
    ControlPeers(CPaintManagerUI& manager, QWidget* host);
    ~ControlPeers();
    ControlPeers(const ControlPeers&) = delete;
    ControlPeers& operator=(const ControlPeers&) = delete;

    // Makes the peers of the whole tree (replacing any).
    void Build();
    void Update(CControlUI* control);
    // Only its colours changed: a key cap takes its new look; any other peer is updated.
    void Recolour(CControlUI* control);
    void Remove(CControlUI* control);
    QWidget* PeerOf(CControlUI* control) const;
    // Re-applies sizes for another DPI.
    void Rescale();

  private:
    QWidget* MakePeer(CControlUI* control, QWidget* parent);
    void Mirror(CControlUI* control, QWidget* peer);
    void ApplyGeometry(CControlUI* control, QWidget* peer);
    // The controls whose peers lie in `area` of `box`, the peer of `container`.
    std::vector<CControlUI*> ControlsInside(CControlUI* container, QWidget* box,
                                            const QRect& area) const;

    CPaintManagerUI& manager_;
    QWidget* host_;
    std::unordered_map<CControlUI*, QWidget*> peers_;
    bool mirroring_ = false;
};

}  // namespace marlo::ui
