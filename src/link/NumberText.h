// Numbers read from the texts a user types into the setup.
#pragma once

#include <QString>

// The leading decimal integer of a text: white space, an optional sign,
// digits, and whatever follows ignored. False when there are no digits.
// Saturates far outside every field's range instead of overflowing.
bool LeadingInteger(const QString& text, long long& value);

// The leading decimal number of a text, with '.' as the decimal point
// whatever the locale; whatever follows is ignored. False when the text does
// not begin with a number (infinity and NaN texts are no numbers here). A
// number too large for a double gives HUGE_VAL with its sign.
bool LeadingNumber(const QString& text, double& value);
