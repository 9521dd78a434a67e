#pragma once
// Numbers as the window writes them: file offsets as "0x" and eight or more hexadecimal digits,
// wherever they stand (status bar, errors dialog, messages, tree descriptions); counts and decimal
// offsets with their digits grouped by threes, as Polish writes them ("1 070 140 113").

#include <QString>

#include <cstdint>

QString hexOffsetText(uint64_t offset);
QString groupedNumber(uint64_t value);
