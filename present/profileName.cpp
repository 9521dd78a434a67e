#include "present/profileName.h"

#include "engine/profiles.h"

#include <array>

std::optional<std::string> profileFieldName(uint64_t P)
{
    if (P == 0 || P >= 0x0FFF || !Rsiz{static_cast<uint16_t>(P)}.defined())
        return std::nullopt;
    static constexpr std::array<const char*, 8> fixed = {
        "",  "Profil 0", "Profil 1", "Kino cyfrowe 2K", "Kino cyfrowe 4K", "Kino cyfrowe 2K skalowalne",
        "Kino cyfrowe 4K skalowalne", "Kino cyfrowe, archiwizacja długoterminowa",
    };
    if (P < fixed.size())
        return fixed[P];
    const Rsiz r{static_cast<uint16_t>(P)};
    const std::string main = ", poziom główny " + std::to_string(r.mainLevel());
    switch (r.profileFamily()) {
    case 1:
        return "Broadcast, jeden tile" + main;
    case 2:
        return "Broadcast, wiele tile'i" + main;
    case 3:
        return "Broadcast, wiele tile'i, odwracalny" + main;
    default: {
        static constexpr std::array<const char*, 3> sizes = {"IMF 2K", "IMF 4K", "IMF 8K"};
        const int kind = r.profileFamily() - 4;
        return std::string(sizes[kind % 3]) + (kind >= 3 ? " odwracalny" : "") + main + ", podrzędny " +
               std::to_string(r.subLevel());
    }
    }
}

std::string rsizName(uint16_t value, const std::optional<std::string>& PRFnum)
{
    const Rsiz r{value};
    std::string name;
    if (r.extensions())
        name = "Rozszerzenia części 2";
    else if (!r.defined())
        name = "nieokreślony";
    else if (r.profileInPrf())
        name = "Profil w markerze PRF (" + (PRFnum ? "PRFnum " + *PRFnum : std::string("brak PRF")) + ")";
    else
        name = profileFieldName(r.profileField()).value_or("");
    if (r.capabilitiesInCap())
        name += name.empty() ? "HTJ2K" : " + HTJ2K";
    return name;
}
