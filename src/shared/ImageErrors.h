#pragma once
// The texts of the imaging error codes.
#include <QString>

// The text for an imaging error code, "" for a code that has none.
QString GetImageErrorText(const short& code);

// "Error '<code>, <text>' was generated." as the acquisition commands show it.
QString ImageErrorMessage(int code);
