#include "engine/errorMessage.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

struct CatalogueEntry {
    int code;
    const char* message;
};

// Sorted by code. The double spaces in 1004, 1005 and 1010 and the inner quotes are part of the texts.
constexpr CatalogueEntry catalogue[] = {
    {1, "Brak markera w oczekiwanym miejscu (brak kodu 0xff na początku)"},
    {2, "Strumień nie zaczyna się od markera SOC"},
    {3, "SIZ nie jest drugim markerem w strumieniu"},
    {4, "Marker SOD nie został poprzedzony markerem SOT"},
    {5, "Marker SIZ zbyt mały, brak niezbędnych danych."},
    {6, "Marker SOT zbyt mały, brak niezbędnych danych."},
    {7, "Niespodziewane zakończenie pliku"},
    // A box file without a codestream to analyse.
    {901, "Brak boksu strumienia kodowego (jp2c) z danymi w pliku JP2"},
    {1001, "Wiele markerów COD w nagłówku lub kaflu"},
    {1002, "Wiele markerów QCD w nagłówku lub kaflu"},
    {1003, "Dane za markerem EOC"},
    {1004, "Więcej markerów COC niż komponentów  w nagłówku lub kaflu"},
    {1005, "Więcej markerów QCC niż komponentów  w nagłówku lub kaflu"},
    {1006, "Marker TLM poza nagłówkiem"},
    {1007, "Marker PLM poza nagłówkiem"},
    {1008, "Marker PPM poza nagłówkiem"},
    {1009, "Wiele markerów POD w nagłówku lub kaflu"},
    {1010, "Więcej markerów RGN niż komponentów  w nagłówku lub kaflu"},
    {1011, "Marker PPT poza kaflem"},
    {1012, "Marker PPT występuje mimo iż był już marker PPM"},
    {1013, "Marker PLT poza kaflem"},
    {1014, "Nieznany marker"},
    {1015, "Brak markera COD w nagłówku"},
    {1016, "Brak markera QCD w nagłówku"},
    {1017, "Wartość Psot w ostatnim kaflu różna od wartości obliczonej dla tego parametru"},
    {1018, "Plik zawiera nieznane markery"},
    {10001, "Lsiz poza dopuszczalnym zakresem"},
    {10002, "Xsiz lub Ysiz poza dopuszczalnym zakresem"},
    {10003, "XOsiz lub YOsiz poza dopuszczalnym zakresem"},
    {10004, "XTsiz lub YTsiz poza dopuszczalnym zakresem"},
    {10005, "XTOsiz lub YTOsiz poza dopuszczalnym zakresem"},
    {10006, "Csiz poza dopuszczalnym zakresem"},
    {10007, "Rsiz poza dopuszczalnym zakresem"},
    {10008, "XRsiz lub YRsiz dla jednego z komponentów jest poza zakresem"},
    {10009, "Ssiz dla jednego z komponentów jest poza zakresem"},
    {10010, "Rozmiar markera SIZ za mały brak opisu części komponentów"},
    {10101, "Lsot poza dopuszczalnym zakresem"},
    {10201, "Lcod poza dopuszczalnym zakresem"},
    {10202, "Scod poza dopuszczalnym zakresem"},
    {10203, "Liczba poziomów dekompozycji zawarta w SPcod poza dopuszczalnym zakresem"},
    {10204, "Progression order zawarta w SPcod poza dopuszczalnym zakresem"},
    {10205, "Wielkość code-blocku zawarta w SPcod poza dopuszczalnym zakresem"},
    {10206, "Suma wielkości code-blocku zawarta w SPcod poza dopuszczalnym zakresem"},
    {10207, "\"Code-block style\" zawarta w SPcod poza dopuszczalnym zakresem"},
    {10208, "\"Transform\" zawarty w SPcod poza dopuszczalnym zakresem"},
    {10209, "\"Multiple component transform\" zawarta w SPcod poza dopuszczalnym zakresem"},
    {10210, "Rozmiar markera Lcod za mały aby zmieścić \"Packet partition size\""},
    {10301, "Lqcd poza dopuszczalnym zakresem"},
    {10302, "Sqcd poza dopuszczalnym zakresem"},
    {10303, "Zawartość SPqcd poza dopuszczalnym zakresem"},
    {10401, "Lcoc poza dopuszczalnym zakresem"},
    {10402, "Scoc poza dopuszczalnym zakresem"},
    {10403, "Liczba poziomów dekompozycji zawarta w SPcoc poza dopuszczalnym zakresem"},
    {10404, "Wielkość code-blocku zawarta w SPcoc poza dopuszczalnym zakresem"},
    {10405, "Suma wielkości code-blocku zawarta w SPcoc poza dopuszczalnym zakresem"},
    {10406, "\"Code-block context\" zawarta w SPcoc poza dopuszczalnym zakresem"},
    {10407, "\"Transform\" zawarty w SPcoc poza dopuszczalnym zakresem"},
    {10408, "Ccoc poza dopuszczalnym zakresem"},
    {10409, "Rozmiar markera Lcoc za mały aby zmieścić \"Packet partition size\""},
    {10501, "Lqcc poza dopuszczalnym zakresem"},
    {10502, "Sqcc poza dopuszczalnym zakresem"},
    {10503, "Jedna z wartości zawartych w SPqcc poza dopuszczalnym zakresem"},
    {10601, "Lrgn poza dopuszczalnym zakresem"},
    {10602, "Srgn poza dopuszczalnym zakresem"},
    {10603, "Crgn poza dopuszczalnym zakresem"},
    {10701, "Lpod poza dopuszczalnym zakresem"},
    {10702, "Rozmiar markera podany w Lpod nie pasuje do typu i ilości oczekiwanych danych"},
    {10703, "Jeden z Ppod poza dopuszczalnym zakresem"},
    {10704, "Jeden z CSpod poza dopuszczalnym zakresem"},
    {10705, "Jeden z CEpod poza dopuszczalnym zakresem"},
    {10801, "Ltlm poza dopuszczalnym zakresem"},
    {10802, "Stlm poza dopuszczalnym zakresem"},
    {10803, "Ttlm poza dopuszczalnym zakresem"},
    {10804, "Ptlm poza dopuszczalnym zakresem"},
    {10805, "Ltlm ma nieodpowiedni rozmiar dla danych które powinien przechowywać"},
    {10901, "Lplm poza dopuszczalnym zakresem"},
    {11001, "Lplt poza dopuszczalnym zakresem"},
    {11101, "Lppm poza dopuszczalnym zakresem"},
    {11201, "Lppt poza dopuszczalnym zakresem"},
    {11301, "Lcme poza dopuszczalnym zakresem"},
    {11302, "Marker CME zawiera nieznany typ rozszerzenia"},
    // Relations between segments, and between segments and the stream.
    {12001, "Numer tile'a (Isot) poza zakresem wynikającym z SIZ"},
    {12002, "Części tile'a (TPsot) nie występują kolejno od zera"},
    {12003, "Liczba części tile'a (TNsot) niezgodna z liczbą znalezionych części"},
    {12004, "Brak niektórych tile'i opisanych w SIZ"},
    {12005, "Wpisy TLM niezgodne z częściami tile'i w strumieniu"},
    {12006, "Suma długości pakietów (PLT) niezgodna z długością danych tile'a"},
    {12007, "Komentarz tekstowy (COM) zawiera znaki sterujące"},
    {12008, "Niespójne wymiary obrazu i siatki tile'i w SIZ"},
    // Packets: each packet header read (only when asked for).
    {12101, "Lsop w markerze SOP różne od 4"},
    {12102, "Numer pakietu Nsop w markerze SOP niezgodny z kolejnością pakietów tile'a"},
    {12103, "Brak markera EPH po nagłówku pakietu mimo ustawienia w Scod"},
    {12104, "Nagłówek pakietu wykracza poza dane części tile'a"},
    {12105, "Treść pakietu wykracza poza dane części tile'a"},
    {12106, "Dane części tile'a po jej ostatnim pakiecie"},
    {12107, "Dane tile'a kończą się przed wszystkimi jego pakietami"},
    {12108, "Więcej przebiegów kodowania niż pozwala liczba płaszczyzn bitowych code-blocku"},
    {12109, "Długość pakietu w PLT niezgodna z pakietem"},
    {12110, "Długość pakietu w PLM niezgodna z pakietem"},
    {12111, "Nagłówki pakietów w PPM lub PPT kończą się przed pakietami"},
    {12112, "Pakiety tile'a zakodowane w sposób, którego mapa pakietów nie obsługuje"},
    {12113, "Parametry kodowania tile'a błędne lub niepełne: pakietów nie można odczytać"},
    {12114, "Tile przekracza granice pracy lub pamięci mapy pakietów"},
    {12115, "Nagłówek pakietu zawiera marker lub wartości poza zakresem"},
    // Boxes: their lengths and nesting.
    {20001, "Nieprawidłowa długość boksu (LBox lub XLBox)"},
    {20002, "Boks wykracza poza koniec pliku"},
    {20003, "Boks wykracza poza swój superboks"},
    {20004, "Zbyt głębokie zagnieżdżenie superboksów"},
    // The rules of the JP2 file family.
    {20101, "Drugim boksem pliku nie jest boks typu pliku (ftyp)"},
    {20102, "Lista zgodności (CL) w boksie ftyp nie zawiera wymaganej wartości"},
    {20103, "Boks ftyp ma nieprawidłową długość"},
    {20104, "Brak boksu nagłówka JP2 (jp2h) przed pierwszym boksem strumienia kodowego (jp2c)"},
    {20105, "Więcej niż jeden boks nagłówka JP2 (jp2h)"},
    {20106, "Boks nagłówka obrazu (ihdr) nie jest pierwszym boksem w jp2h"},
    {20107, "Boks ihdr ma nieprawidłową długość"},
    {20108, "Typ kompresji (C) w boksie ihdr różny od 7"},
    {20109, "UnkC lub IPR w boksie ihdr poza dopuszczalnym zakresem"},
    {20110, "HEIGHT, WIDTH, NC lub BPC w boksie ihdr poza dopuszczalnym zakresem"},
    {20111, "Brak boksu specyfikacji koloru (colr) w jp2h"},
    {20112, "Nieznana metoda specyfikacji koloru (METH) w boksie colr"},
    {20113, "Nieznana przestrzeń barw (EnumCS) w boksie colr"},
    {20114, "Boks colr ma nieprawidłową długość"},
    {20115, "Brak boksu bpcc mimo wartości 255 pola BPC w ihdr"},
    {20116, "Boks bpcc występuje mimo wartości BPC w ihdr różnej od 255"},
    {20117, "Liczba wpisów boksu bpcc różna od NC lub wpis poza dopuszczalnym zakresem"},
    {20118, "Boks palety (pclr) bez boksu mapowania komponentów (cmap) lub odwrotnie"},
    {20119, "Boks pclr ma nieprawidłową długość lub pola poza dopuszczalnym zakresem"},
    {20120, "Boks cmap ma nieprawidłową długość lub wpis niezgodny z komponentami lub paletą"},
    {20121, "Boks definicji kanałów (cdef) ma nieprawidłową długość lub wpis poza dopuszczalnym zakresem"},
    {20122, "Powtórzony boks w jp2h (ihdr, bpcc, pclr, cmap, cdef lub res)"},
    // The JP2 header against the codestream.
    {20201, "Wartość HEIGHT w boksie ihdr różna od Ysiz - YOsiz w SIZ"},
    {20202, "Wartość WIDTH w boksie ihdr różna od Xsiz - XOsiz w SIZ"},
    {20203, "Wartość NC w boksie ihdr różna od Csiz w SIZ"},
    {20204, "Wartość BPC w boksie ihdr (lub wpis boksu bpcc) różna od Ssiz w SIZ"},
};

static_assert(std::size(catalogue) == 134);

}  // namespace

std::string errorMessage(int code)
{
    const auto* entry = std::lower_bound(std::begin(catalogue), std::end(catalogue), code,
                                         [](const CatalogueEntry& e, int c) { return e.code < c; });
    if (entry == std::end(catalogue) || entry->code != code)
        return "Nieznany kod błędu!";
    return entry->message;
}
