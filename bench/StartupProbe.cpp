// Starts the program the way the program starts itself, and tells the bench
// through a pipe when the dialog has been painted for the first time. It then
// waits for the bench's go-ahead, so the bench reads its memory while nothing
// moves, and closes the dialog.
//
//   orvane-bench-startup READY_FD GO_FD

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/OrvaneDlg.h"

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(COrvaneDlg& dlg, int readyFd, int goFd)
        : m_dlg(dlg), m_readyFd(readyFd), m_goFd(goFd) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // The dialog is painted first and its controls after it; the zero
            // timer fires once the whole window has been painted and flushed.
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return false;
    }

private:
    void Report() {
        char byte = 'R';
        if (write(m_readyFd, &byte, 1) == 1) {
            [[maybe_unused]] const ssize_t n = read(m_goFd, &byte, 1);
        }
        m_dlg.reject();
    }

    COrvaneDlg& m_dlg;
    int m_readyFd;
    int m_goFd;
    bool m_seen = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s READY_FD GO_FD\n", argv[0]);
        return 2;
    }
    const int readyFd = std::atoi(argv[1]);
    const int goFd = std::atoi(argv[2]);
    QApplication application(argc, argv);
    COrvaneDlg dlg;
    FirstPaint probe(dlg, readyFd, goFd);
    dlg.installEventFilter(&probe);
    dlg.DoModal();
    return 0;
}
