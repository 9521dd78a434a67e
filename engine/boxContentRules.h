#pragma once
// The rules on what boxes hold beyond their framing and the header fields of the JP2 header: the
// precedence, approximation and ICC profile of a colour box, the resolution boxes, and the XML, UUID
// info and URL boxes. Each code is recorded at the box it concerns; nothing is raised.

#include "engine/boxes.h"
#include "engine/byteImage.h"
#include "engine/errorLog.h"

#include <vector>

// PREC and APPROX 0 in a JP2 file (codes 20124, 20125), where JPX gives them meanings of its own.
void checkPrecedence(const ByteImage& file, const Box& colr, ErrorLog& log);

// The ICC profile of a colour box of METH 2 or 3: its header's size field equal to its bytes, a
// profile that parses, and for METH 2 a restricted profile (codes 20127-20129).
void checkColourProfile(const ByteImage& file, const Box& colr, bool restricted, ErrorLog& log);

// One capture and one display resolution box at most in the resolution box, each of 10 bytes with
// no numerator or denominator of 0 (codes 20134, 20135).
void checkResolution(const ByteImage& file, const std::vector<Box>& boxes, int res, ErrorLog& log);

// Every XML, UUID info and URL box in the box table, in file order (codes 20130-20133).
void checkMetadataBoxes(const ByteImage& file, const std::vector<Box>& boxes, ErrorLog& log);
