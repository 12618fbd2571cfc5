#pragma once
// The computer's name as the program shows and stores it.
#include <QString>

namespace platform {

// The name of a host: its first label, so "pc7.lan.example.org" gives "pc7";
// at most 255 characters, as the name buffer holds.
QString computerNameOf(const QString& hostName);

// This computer's name (empty when the system gives none).
QString computerName();

} // namespace platform
