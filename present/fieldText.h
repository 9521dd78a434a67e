#pragma once
// A detail text as it is built, line by line, with the bytes of the field each line shows: the one
// place where the texts of marker segments and of boxes record their fields.

#include "present/elementText.h"

#include <algorithm>
#include <string>
#include <string_view>

// A value read from the file and the bytes it was read from. It reads as the plain value, so that a
// decoder computes with it as with any other.
template <class T>
struct Field {
    T value;
    FieldBytes bytes;
    operator T() const { return value; }
};

class FieldText {
public:
    FieldText& add(std::string_view literal)
    {
        text_ += literal;
        lineFields_.resize(lineFields_.size() + std::count(literal.begin(), literal.end(), '\n'));
        return *this;
    }
    // A label followed directly by a decimal number.
    FieldText& add(std::string_view label, uint64_t number)
    {
        add(label);
        text_ += std::to_string(number);
        return *this;
    }
    // A label followed directly by a field's value; the line shows that field.
    template <class T>
    FieldText& add(std::string_view label, const Field<T>& field)
    {
        return add(label, uint64_t{field.value}).mark(field.bytes);
    }
    // The line being written shows this field (its value, or something computed from it alone).
    FieldText& mark(const FieldBytes& bytes)
    {
        lineFields_.back() = bytes;
        return *this;
    }
    // Marks every line from `firstLine` on (a value that spans lines).
    void markFrom(size_t firstLine, const FieldBytes& bytes)
    {
        std::fill(lineFields_.begin() + static_cast<ptrdiff_t>(firstLine), lineFields_.end(), bytes);
    }
    size_t currentLine() const { return lineFields_.size() - 1; }

    std::string take() { return std::move(text_); }
    ElementText takeWithFields() { return {std::move(text_), std::move(lineFields_)}; }

private:
    std::string text_;
    std::vector<std::optional<FieldBytes>> lineFields_ = std::vector<std::optional<FieldBytes>>(1);
};
