#pragma once

#include <cstdint>

#include <QWidget>

#include <memory>

#include "ui/qt/ControlPeers.h"

namespace marlo::ui {

class CWindowWnd;
class CPaintManagerUI;

// The top-level widget of one toolkit window: frameless, dragged by the skin's caption area,
// holding the peers of the window's controls.
class QtWindow : public QWidget {
  public:
    // The colour behind everything the skin does not colour.
    static constexpr uint32_t kBackground = 0xFF16181D;

    explicit QtWindow(CWindowWnd* window);
    ~QtWindow() override;

    CWindowWnd* window() const { return window_; }
    void AttachTree(CPaintManagerUI* manager);
    ControlPeers* peers() const { return peers_.get(); }
    // Geometry, title, visibility from the toolkit window.
    void Sync();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Keys no peer took (Tab, Shift+Tab, Space, Enter, Escape) go to the toolkit window,
    // which moves the focus through its controls, presses buttons and closes dialogs.
    void keyPressEvent(QKeyEvent* event) override;
    // The skin's "roundcorner" (`rx,ry`): the window's corners are cut round.
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    bool InCaption(const QPoint& pos) const;

    CWindowWnd* window_;
    CPaintManagerUI* manager_ = nullptr;
    std::unique_ptr<ControlPeers> peers_;
    bool watchingScreen_ = false;
    int dpi_ = 0;
};

}  // namespace marlo::ui
