#include "app/OrvaneApp.h"

#include "app/OrvaneDlg.h"

bool COrvaneApp::InitInstance() {
    COrvaneDlg dlg;
    dlg.DoModal();
    return false;
}
