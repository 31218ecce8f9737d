#pragma once

#include <QIcon>

// The application icon: a dome camera, drawn at the sizes the title bar and
// the About box use.
QIcon MakeAppIcon();
