// The text library: KTString in two widths and four storage modes, and everything built on it.
#pragma once

#include "text/string/kt_string.h"
#include "text/string/string_statics.h"
#include "text/string/utf8.h"
