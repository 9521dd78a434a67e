#pragma once
// Recognises a JP2-family file and walks its boxes: each box is stepped over by its length, and the
// superboxes of the JP2 and JPX families are walked into. Only box headers are read, so the cost
// follows the number of boxes.

#include "engine/boxes.h"
#include "engine/byteImage.h"
#include "engine/errorLog.h"

#include <vector>

// The file begins with the signature box: LBox 12, TBox "jP  ", contents 0D 0A 87 0A.
bool beginsWithSignatureBox(const ByteImage& file);

// The box table in file order, each superbox before its contents. Faults of the framing are recorded
// at the box (or the bytes) they concern: 20001 a length that cannot be, 20002 a box past the end of
// the file, 20003 a box past its superbox, 20004 a superbox nested too deep.
std::vector<Box> walkBoxes(const ByteImage& file, ErrorLog& log);

// The box is a superbox that the walk goes into.
bool isSuperbox(uint32_t type);
