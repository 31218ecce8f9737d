#pragma once

#include <QIcon>
#include <QImage>

// The application icon: a dome camera, drawn at the sizes the title bar and
// the About box use.
QIcon MakeAppIcon();

// The same drawing at any size; the build renders the installed theme icons
// with it, so the menu shows what the title bar shows.
QImage DrawAppIcon(int size);
