#include "present/verdict.h"

std::string verdictText(int status)
{
    switch (status) {
    case 0:
        return "OK! Nie znaleziono błędów.";
    case 1:
        return "Plik nie jest zgodny ze standartem. Zobacz opis błędów. Wyświetlane dane mogą być niepoprawne!";
    default:
        return "Poważne błędy w strukturze pliku, zawartość nie może być wyświetlona.";
    }
}
