// Takes away root's power over permissions for a test's length, so that permission checks
// apply (the tests may run as root): the effective user becomes "nobody" and is restored at
// the end. Make what the test uses while the guard holds, so that "nobody" owns it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

namespace testsupport {

class Unprivileged {
public:
    Unprivileged() : m_wasRoot(::geteuid() == 0) {
        if (m_wasRoot) {
            m_ok = ::seteuid(65534) == 0;
        }
    }
    ~Unprivileged() {
        if (m_wasRoot && m_ok) {
            EXPECT_EQ(::seteuid(0), 0);
        }
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    bool Ok() const { return !m_wasRoot || m_ok; }

private:
    bool m_wasRoot;
    bool m_ok = false;
};

} // namespace testsupport
