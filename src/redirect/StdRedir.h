// Redirection of standard output and standard error (descriptors 1 and 2) to files or to
// shell commands ('|command'), with the previous descriptors put back at exit.
#pragma once

#include "text/Buffer.h"

#include <cstdio>

class CStdRedir {
public:
    // One file or command, shared by every stream redirected to the same value.
    class CStdRedirTarget {
    public:
        // Opens the file for appending (created 0664) or starts the command; descriptor -1 on failure.
        explicit CStdRedirTarget(const MyCString& value);
        virtual ~CStdRedirTarget();
        CStdRedirTarget(const CStdRedirTarget&) = delete;
        CStdRedirTarget& operator=(const CStdRedirTarget&) = delete;

        int m_nDescriptor = -1;
        MyCString m_strValue;
        FILE* m_pPipe = nullptr;
    };

    CStdRedir() {}
    virtual ~CStdRedir();
    CStdRedir(const CStdRedir&) = delete;
    CStdRedir& operator=(const CStdRedir&) = delete;

    // The target for value (compared byte for byte), created on first use.
    CStdRedirTarget* GetTarget(const MyCString& value);
    // Points descriptor 2 (1) at value's target; only the first successful call per stream counts.
    void RedirectStderr(const MyCString& value);
    void RedirectStdout(const MyCString& value);

    CBufferT<CStdRedirTarget*> m_bufTargets;
    int m_nSavedStdout = -1;
    int m_nSavedStderr = -1;
};

// The process-wide redirection manager, constructed before main.
extern CStdRedir stdRedir;
