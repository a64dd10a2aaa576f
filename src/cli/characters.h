// Character rules of the command line, identical on every platform: case
// folding of switches, white space and digits in numbers.
#pragma once

namespace pelk {

// "A" to "Z" fold to "a" to "z"; the rest of U+0000 to U+00FF and U+FFFF stay;
// U+0100 to U+FFFE take Unicode's simple lower-case mapping where one exists.
char16_t foldCase(char16_t c);

// U+0009 to U+000D, U+0020 and U+00A0 below U+0100 (not U+0085); above it,
// Unicode's White_Space characters.
bool isWhiteSpace(char16_t c);

// The value 0 to 9 of a decimal digit of any of the 18 digit runs pelk
// reads, or -1 for any other character.
int digitValue(char16_t c);

}  // namespace pelk
