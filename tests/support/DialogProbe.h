#pragma once

#include <QLabel>
#include <QString>
#include <cstdint>

#include "app/OrvaneDlg.h"
#include "commandlist/ReplayRunner.h"

class CPortsDlg;
class CSerialPort;
class CxIOFile;
class CxMemFile;
class PtzBase;

// Test access to a COrvaneDlg's working objects and threads, which the
// dialog keeps private.
class DialogProbe {
public:
    explicit DialogProbe(COrvaneDlg& dlg) : m_dlg(dlg) {}

    CSerialPort* Port() const { return m_dlg.m_pSerialPort.get(); }
    PtzBase* Driver() const { return m_dlg.m_pPtz.get(); }
    CxIOFile* TempFile() const { return m_dlg.m_pTempFile.get(); }
    CxMemFile* MemFile() const { return m_dlg.m_pMemFile.get(); }
    const uint8_t* TempBuffer() const { return m_dlg.m_pTempBuffer.get(); }
    // The file stream, the buffer and the memory stream over it all exist.
    bool HasStreams() const { return TempFile() && TempBuffer() && MemFile(); }

    bool PortOpen() const { return m_dlg.m_bPortOpen != 0; }
    // The dialog shows a replay (running or stopping).
    int AutoRun() const { return m_dlg.m_bAutoRun; }
    bool ReplayThreadRunning() const { return m_dlg.m_replay->Running(); }
    bool LogThreadRunning() const { return m_dlg.m_hLogThread.joinable(); }

    // The line monitor and the camera scan once their buttons made them, else null.
    CLineMonitorDlg* MonitorDialog() const { return m_dlg.m_pMonitorDlg; }
    CFindCameraDlg* FindDialog() const { return m_dlg.m_pFindDlg; }
    // The ports dialog once "Ports..." made it, else null.
    CPortsDlg* PortsDialog() const { return m_dlg.m_pPortsDlg; }
    uint32_t CtrlRate() const { return m_dlg.m_nCtrlRate; }
    uint32_t CmdInterval() const { return m_dlg.m_nCmdInterval; }
    // The file group's status line and the hex field's preview, whole.
    QString FileStatus() const { return m_dlg.m_lblFileStatus->toolTip(); }
    QString HexFrame() const { return m_dlg.m_lblHexFrame->text(); }
    QString HexMarks() const { return m_dlg.m_lblHexMarks->toolTip(); }
    void SetConfigPath(const QString& path) { m_dlg.m_strConfigPath = path; }

private:
    COrvaneDlg& m_dlg;
};
