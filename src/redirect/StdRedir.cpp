#include "redirect/StdRedir.h"

#include <fcntl.h>
#include <unistd.h>

// Descriptors kept for the launcher's own use are close-on-exec, so that commands started
// later (a second '|command', the JVM's child processes) do not inherit them and hold a
// caller's pipe open. Descriptors 1 and 2 are dup2 copies and stay inheritable.

CStdRedir::CStdRedirTarget::CStdRedirTarget(const MyCString& value) : m_strValue(value)
{
    if (value.CharAt(0, 0) == '|') {
        m_pPipe = popen(value.c_str() + 1, "w");
        if (m_pPipe)
            m_nDescriptor = fileno(m_pPipe);
        return;
    }
    m_nDescriptor = open(value.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0664);
}

// A command's stream stays open: closing it would wait for the command.
CStdRedir::CStdRedirTarget::~CStdRedirTarget()
{
    if (m_nDescriptor != -1)
        close(m_nDescriptor);
}

CStdRedir::~CStdRedir()
{
    // Output still buffered by the C library belongs to the targets, not to the restored streams.
    fflush(stdout);
    fflush(stderr);
    for (int i = 0; i < m_bufTargets.GetLength(); ++i)
        delete m_bufTargets.GetData()[i];
    m_bufTargets.Free();
    if (m_nSavedStdout != -1)
        dup2(m_nSavedStdout, 1);
    if (m_nSavedStderr != -1)
        dup2(m_nSavedStderr, 2);
}

CStdRedir::CStdRedirTarget* CStdRedir::GetTarget(const MyCString& value)
{
    for (int i = 0; i < m_bufTargets.GetLength(); ++i) {
        CStdRedirTarget* target = m_bufTargets.GetData()[i];
        if (target->m_strValue.Compare(value) == 0)
            return target;
    }
    CStdRedirTarget* target = new CStdRedirTarget(value);
    m_bufTargets.Append(&target, 1);
    return target;
}

// Points descriptor stream (the C library's file) at value's target, once: saved receives the
// copy of the stream as it was.
static void Redirect(CStdRedir& redir, const MyCString& value, int stream, FILE* file, int& saved)
{
    int descriptor = redir.GetTarget(value)->m_nDescriptor;
    if (descriptor == -1 || saved != -1)
        return;
    fflush(file);
    saved = fcntl(stream, F_DUPFD_CLOEXEC, 0);
    dup2(descriptor, stream);
}

void CStdRedir::RedirectStderr(const MyCString& value)
{
    Redirect(*this, value, 2, stderr, m_nSavedStderr);
}

void CStdRedir::RedirectStdout(const MyCString& value)
{
    Redirect(*this, value, 1, stdout, m_nSavedStdout);
}
