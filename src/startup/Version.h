#pragma once

#include <QString>

namespace version {
constexpr int kMajor = 0;
constexpr int kMinor = 8;
constexpr int kRevision = 20;

// "Ovrel - v 0.8 build 20"
QString WindowTitle(int major = kMajor, int minor = kMinor, int revision = kRevision);
// "V. 0.8.20"
QString SplashText(int major = kMajor, int minor = kMinor, int revision = kRevision);
// "0.8 build 20"
QString AboutVersion(int major = kMajor, int minor = kMinor, int revision = kRevision);
}  // namespace version
