// The text library: KTString in two widths and four storage modes, and everything built on it.
#pragma once

#include "text/string/builder.h"
#include "text/string/code_point_pattern.h"
#include "text/string/concat.h"
#include "text/string/convert.h"
#include "text/string/kt_string.h"
#include "text/string/operations.h"
#include "text/string/string_statics.h"
#include "text/string/text_piece.h"
#include "text/string/utf8.h"

#include "text/unicode/case_fold.h"
#include "text/regex/character_filter.h"
#include "text/regex/pattern_search.h"
#include "text/unicode/range_set.h"
#include "text/unicode/unicode_blocks.h"
#include "text/unicode/unicode_char_classes.h"

#include "text/util/clipboard.h"
#include "text/util/encodings.h"
#include "text/util/markup.h"
#include "text/string/number_format.h"
#include "text/util/number_parse.h"
#include "text/util/paths.h"
#include "text/util/system_text.h"
