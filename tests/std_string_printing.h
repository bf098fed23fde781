#pragma once
// Lets QCOMPARE print std::string values when they differ.

#include <QtTest>

#include <string>

namespace QTest {
template <>
inline char* toString(const std::string& text)
{
    return qstrdup(('"' + text + '"').c_str());
}
}  // namespace QTest
