#pragma once
// The decoders of the marker segments; each appends its kind's text from the title on.

class SegmentText;

void sizText(SegmentText& t);
void sotText(SegmentText& t);
void codText(SegmentText& t);
void cocText(SegmentText& t);
void qcdText(SegmentText& t);
void qccText(SegmentText& t);
void rgnText(SegmentText& t);
void pocText(SegmentText& t);
void tlmText(SegmentText& t);
void plmText(SegmentText& t);
void pltText(SegmentText& t);
void ppmText(SegmentText& t);
void pptText(SegmentText& t);
void comText(SegmentText& t);
void crgText(SegmentText& t);
void capText(SegmentText& t);
void cpfText(SegmentText& t);
void prfText(SegmentText& t);
void extensionText(SegmentText& t);
