#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// A forked child that runs `setUp` (async-signal-safe calls only), then waits
// to be killed; the constructor returns once `setUp` is done. With
// `exitAtOnce` it ends instead and stays unreaped, a zombie, until the object goes.
class ChildProcess {
public:
    template <class SetUp>
    explicit ChildProcess(SetUp setUp, bool exitAtOnce = false) {
        int ready[2];
        if (pipe(ready) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            setUp();
            if (!exitAtOnce) {
                (void)!write(ready[1], "", 1);
                pause();
            }
            _exit(0);
        }
        close(ready[1]);
        char done = 0;
        (void)!read(ready[0], &done, 1);  // a byte, or the end when it exited
        close(ready[0]);
    }
    ~ChildProcess() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    long pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};
