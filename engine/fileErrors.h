#pragma once
// Failures of the environment: the file could not be analysed at all. They are not faults of the
// codestream (those are error codes) and they leave the engine's constructor.

#include <stdexcept>

class jpcFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file holds no byte.
class jpcEndOfFileError : public jpcFileError {
public:
    jpcEndOfFileError() : jpcFileError("Unexpected file format.") {}
};

// The file could not be opened, or is not a regular file.
class jpcOpenError : public jpcFileError {
public:
    using jpcFileError::jpcFileError;
};

// Offsets in the codestream walk are 32-bit; a larger file is refused rather than cut.
class jpcFileTooLargeError : public jpcFileError {
public:
    using jpcFileError::jpcFileError;
};
