// orvane-render-icon OUTDIR SIZE...: writes OUTDIR/SIZExSIZE.png for each size,
// drawn by the same code as the window icon.
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "app/AppIcon.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvane-render-icon OUTDIR SIZE...\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "orvane-render-icon: bad size \"%s\"\n", argv[i]);
            return 2;
        }
        const QString path = QStringLiteral("%1/%2x%2.png").arg(dir).arg(size);
        if (!DrawAppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "orvane-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
