#pragma once

#include <QString>

// The leading decimal number of a text, as typed into the port boxes or stored for a
// selector: blanks first, then an optional sign, then digits up to the first other
// character. Full-width digits, signs and the full-width blank count as their ASCII forms,
// so "３" and "１７" read as 3 and 17. A text without a leading number gives 0; a number
// too large for an int is held at the int's limit.
int leadingNumber(const QString& text);
