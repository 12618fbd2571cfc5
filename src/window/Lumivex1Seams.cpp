// Procedures of other areas that the shell's commands and tabs call. Each
// body stands in until its area's code lands; that code replaces the line here.
#include "window/Lumivex1.h"

