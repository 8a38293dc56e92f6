#pragma once
// The Windows-1252 codec is plain C++ and lives with the document model, so
// that layers without the editor (the password gate) share it.

#include "richtext/model/win1252_codec.h"
