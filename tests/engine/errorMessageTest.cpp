// The catalogue turns codes into their Polish messages, exactly, and unknown codes into one fallback.

#include "engine/errorMessage.h"

#include <gtest/gtest.h>

TEST(ErrorMessage, CataloguedCodesGiveTheirExactMessages)
{
    EXPECT_EQ(errorMessage(1), "Brak markera w oczekiwanym miejscu (brak kodu 0xff na początku)");
    EXPECT_EQ(errorMessage(7), "Niespodziewane zakończenie pliku");
    EXPECT_EQ(errorMessage(1004), "Więcej markerów COC niż komponentów  w nagłówku lub kaflu");
    EXPECT_EQ(errorMessage(10207), "\"Code-block style\" zawarta w SPcod poza dopuszczalnym zakresem");
    EXPECT_EQ(errorMessage(10409), "Rozmiar markera Lcoc za mały aby zmieścić \"Packet partition size\"");
    EXPECT_EQ(errorMessage(10803), "Ttlm poza dopuszczalnym zakresem");
    EXPECT_EQ(errorMessage(11302), "Marker CME zawiera nieznany typ rozszerzenia");
    EXPECT_EQ(errorMessage(12002), "Części tile'a (TPsot) nie występują kolejno od zera");
    EXPECT_EQ(errorMessage(12008), "Niespójne wymiary obrazu i siatki tile'i w SIZ");
}

TEST(ErrorMessage, CodesOutsideTheCatalogueGiveTheFallback)
{
    // Some of these are produced by the field checks yet have no message of their own.
    for (int code : {0, 8, 999, 1019, 10011, 10102, 10103, 10104, 10211, 10304, 10504, 10505, 11303, 12000, 12099, -1})
        EXPECT_EQ(errorMessage(code), "Nieznany kod błędu!") << code;
}
