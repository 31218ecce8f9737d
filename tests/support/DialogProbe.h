#pragma once

#include <QString>
#include <cstdint>

#include "app/OrvaneDlg.h"

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
    int AutoRun() const { return m_dlg.m_bAutoRun.load(); }
    int LogRun() const { return m_dlg.m_bLogRun.load(); }
    bool ReplayThreadRunning() const { return m_dlg.m_hAutoThread.joinable(); }
    bool LogThreadRunning() const { return m_dlg.m_hLogThread.joinable(); }

    uint32_t CtrlRate() const { return m_dlg.m_nCtrlRate; }
    void SetConfigPath(const QString& path) { m_dlg.m_strConfigPath = path; }

private:
    COrvaneDlg& m_dlg;
};
