// The one top-level window: captioned "Brambex", sized to the main client window it
// hosts, centred on the screen, with a minimise but no maximise box. It closes when
// its client is done, and the program ends with it.
#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

namespace brambex {

class TaudiobookDlgClient;

// Top-left corner that centres a frame on a screen: each half-difference truncated
// toward zero, so a frame larger than the screen gets a negative position.
QPoint CentredPosition(QSize screen, QSize frame);

class TSDIDecFrame : public QWidget {
    Q_OBJECT
  public:
    // Creates its own main client window when none is given.
    explicit TSDIDecFrame(TaudiobookDlgClient* client = nullptr);
    ~TSDIDecFrame() override;

    // Sizes the frame to its client and centres it on the primary screen.
    void SetupWindow();
    TaudiobookDlgClient* Client() const { return client_; }
    // Closes the frame as soon as no merge is running (at once otherwise).
    void RequestEnd();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TaudiobookDlgClient* client_;
};

}  // namespace brambex
