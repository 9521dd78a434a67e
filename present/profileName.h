#pragma once
// Names of what Rsiz declares, for the file summary and the CPF text.

#include <cstdint>
#include <optional>
#include <string>

// The profile of a defined profile field P ("Kino cyfrowe 2K", "IMF 4K odwracalny, poziom główny 6,
// podrzędny 2" ...); nothing for 0, for 0x0FFF and for a value the standard does not define.
std::optional<std::string> profileFieldName(uint64_t P);

// The summary's name of a non-zero Rsiz: its profile, " + HTJ2K" for bit 14, the extensions for bit
// 15. `PRFnum` is the number of the PRF of the main header as text, when P is 0x0FFF.
std::string rsizName(uint16_t Rsiz, const std::optional<std::string>& PRFnum);
