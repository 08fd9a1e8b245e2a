// The text library: KTString in two widths and four storage modes, and everything built on it.
#pragma once

#include "text/string/builder.h"
#include "text/string/concat.h"
#include "text/string/convert.h"
#include "text/string/kt_string.h"
#include "text/string/operations.h"
#include "text/string/string_statics.h"
#include "text/string/utf8.h"
#include "text/util/markup.h"
#include "text/util/number_format.h"
#include "text/util/paths.h"
