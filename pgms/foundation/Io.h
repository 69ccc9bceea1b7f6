// Text helpers and thin file-system wrappers used by the whole game.
//
// Texts are UTF-8 std::string; positions and lengths count bytes, from 1.
// Number parsing and formatting never look at the process locale: "," is
// the thousands separator and "." the decimal point.
// File routines take paths in the game's form ("\" separators) and reach
// the file system only through Native_Path.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// 1-based position of the first occurrence of sub in text, 0 when absent
// (also for an empty sub). Case-sensitive.
int Text_Pos(const std::string& sub, const std::string& text);
// Text without blanks and control characters (codes up to 32) at both ends.
std::string Text_Trim(const std::string& text);
// Compares ignoring the case of A..Z: 0 when equal, negative or positive by
// order.
int Text_Compare(const std::string& a, const std::string& b);
// Up to count characters from position from (1-based).
std::string Text_Copy(const std::string& text, std::int64_t from, std::int64_t count);
int Text_Length(const std::string& text);
std::string Text_Lower_Case(const std::string& text);
std::string Text_Upper_Case(const std::string& text);

// Every "," removed, then a whole number with an optional sign. Raises
// EConvertError when the rest is not a 32-bit whole number.
std::int32_t Text_To_Int(const std::string& text);
// Every "," removed, then a real number with "." as the decimal point and an
// optional sign and exponent. Raises EConvertError when it is not one.
double Text_To_Float(const std::string& text);

std::string Int_To_Text(std::int64_t n);
// At least digits digits, zero-padded, right-aligned in width characters.
std::string Int_To_Text_Padded(std::int64_t n, int width, int digits);

// The general form of x with up to 15 significant digits ("0.5", "1234.5",
// "1E20", "1.5E-7").
std::string Float_To_Text(double x);

enum TFloat_Format { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// General float formatting: precision = significant digits (1..15), digits =
// decimals (fixed, number, currency) or the least exponent digits (general,
// exponent). Currency is a number with two-or-given decimals after "$".
std::string Float_To_Text_F(double x, TFloat_Format format, int precision, int digits);
// kind 1: "%<width>.<decimals>n" (with thousands separators), else
// "%<width>.<decimals>f". Halves round away from zero.
std::string Float_To_Text_Format(double x, int width, int decimals, int kind);
// Text right-aligned in width characters; never cut.
std::string Text_Pad_Left(const std::string& text, int width);

// Flags of Text_Replace.
constexpr int rfReplaceAll = 1;
constexpr int rfIgnoreCase = 2;
// Replaces the first occurrence of old_text (every one with rfReplaceAll),
// ignoring the case of A..Z with rfIgnoreCase. An empty old_text replaces
// nothing.
std::string Text_Replace(const std::string& text, const std::string& old_text, const std::string& new_text,
                         int flags);
std::string Text_Replace_All(const std::string& text, const std::string& old_text, const std::string& new_text);
// Text without every character equal to the one-character text c, ignoring
// the case of A..Z.
std::string Text_Remove_All(const std::string& text, const std::string& c);

// Writes the text and a line end to an open file; EInOutError on failure.
void Text_File_Write_Line(std::FILE* file, const std::string& text);

bool File_Exists(const std::string& path);
bool Directory_Exists(const std::string& path);
bool Directory_Exists_2(const std::string& path);
// Creates one folder (its parent must exist). True when the folder exists
// afterwards.
bool Directory_Create(const std::string& path);
// Creates a folder and any missing parents. True when it exists afterwards.
bool Directory_Create_All(const std::string& path);
// Removes an empty folder.
bool Directory_Remove(const std::string& path);
bool File_Delete(const std::string& path);
// Copies a file, overwriting the destination unless fail_if_exists.
bool File_Copy(const std::string& from, const std::string& to, bool fail_if_exists);
// The file's modification time as a packed date and time (bits 25..31 year
// - 1980, 21..24 month, 16..20 day, 11..15 hour, 5..10 minute, 0..4 seconds
// / 2, local time); -1 when the file does not exist.
std::int32_t File_Age(const std::string& path);
