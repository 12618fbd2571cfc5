#pragma once
// The texts of the imaging error codes.
#include <QString>

// The text for an imaging error code, "" for a code that has none.
QString GetImageErrorText(const short& code);

// "Error '<code>, <text>' was generated." as the acquisition commands show it.
QString ImageErrorMessage(int code);

// A failure reported as an error trap shows it: the source, a blank, the
// code, a carriage return and the code's text ("Image2 20001\rNot enough memory available").
QString ImageFailureText(const QString& source, int code);
