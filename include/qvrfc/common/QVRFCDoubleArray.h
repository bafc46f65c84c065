// CQVRFCDoubleArray: a growable array of doubles with contiguous storage.
// Writing at or past the end grows it and fills any gap with 0.0; a negative
// index is an invalid argument and throws std::invalid_argument.
#pragma once

#include <stdexcept>
#include <vector>

#include "qvrfc/common/QVRFCExport.h"

class QVRFC_API CQVRFCDoubleArray {
  public:
    CQVRFCDoubleArray() = default;
    explicit CQVRFCDoubleArray(std::vector<double> values) : m_aValue(std::move(values)) {}

    // Number of elements, and the storage itself (null when empty).
    int GetSize() const { return static_cast<int>(m_aValue.size()); }
    int GetCount() const { return GetSize(); }
    const double* GetData() const { return m_aValue.empty() ? nullptr : m_aValue.data(); }
    double* GetData() { return m_aValue.empty() ? nullptr : m_aValue.data(); }

    // Appends a value and returns its index.
    int Add(double value) {
        m_aValue.push_back(value);
        return GetSize() - 1;
    }
    // Writes at index, growing the array (with 0.0 in any gap) when index is at or past the end.
    void SetAtGrow(int index, double value) {
        if (index < 0) throw std::invalid_argument("CQVRFCDoubleArray: negative index");
        if (static_cast<size_t>(index) >= m_aValue.size()) m_aValue.resize(index + 1u, 0.0);
        m_aValue[static_cast<size_t>(index)] = value;
    }
    // Element at index; the caller passes 0 <= index < GetSize().
    double GetAt(int index) const { return m_aValue[static_cast<size_t>(index)]; }
    double operator[](int index) const { return GetAt(index); }

    void SetSize(int count) { m_aValue.resize(count > 0 ? static_cast<size_t>(count) : 0u, 0.0); }
    void RemoveAll() { m_aValue.clear(); }
    void Reserve(int count) {
        if (count > 0) m_aValue.reserve(static_cast<size_t>(count));
    }

  private:
    std::vector<double> m_aValue;
};
