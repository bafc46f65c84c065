// CString: the 8-bit text type of every exported signature.
// A value type over std::string with printf-style formatting and the few
// operations the engine uses (rightmost characters, case-blind comparison).
#pragma once

#include <string>

#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CString {
  public:
    CString() = default;
    CString(const char* text) : m_str(text ? text : "") {}  // NOLINT: implicit by design
    CString(std::string text) : m_str(std::move(text)) {}   // NOLINT: implicit by design

    // Replaces the contents with printf-style formatted text; AppendFormat appends it.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    // The last (first) count characters; the whole text when it is shorter, "" for count <= 0.
    CString Right(int count) const;
    CString Left(int count) const;

    // Like strcmp: negative, 0 or positive. CompareNoCase ignores ASCII letter case.
    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;

    const char* GetString() const { return m_str.c_str(); }
    operator const char*() const { return m_str.c_str(); }  // NOLINT: implicit by design
    const std::string& str() const { return m_str; }

    CString& operator+=(const CString& other) {
        m_str += other.m_str;
        return *this;
    }
    CString& operator+=(const char* other) {
        m_str += other ? other : "";
        return *this;
    }
    CString& operator+=(char c) {
        m_str += c;
        return *this;
    }

    friend CString operator+(CString a, const CString& b) { return a += b; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator!=(const CString& a, const CString& b) { return a.m_str != b.m_str; }

  private:
    std::string m_str;
};
