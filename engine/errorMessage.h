#pragma once
// The catalogue that turns an error code into its Polish message.

#include <string>

// Codes below this are fatal: the walk or the validation pass cannot go on.
constexpr int firstRecoverableCode = 1000;

inline bool isFatalCode(int code) { return code < firstRecoverableCode; }

// The message of a code; "Nieznany kod błędu!" for a code outside the catalogue.
std::string errorMessage(int code);
