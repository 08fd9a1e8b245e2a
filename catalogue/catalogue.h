// The catalogue framework: the registry and the catalogue object.
#pragma once

#include "catalogue/resource_string_library.h"
#include "catalogue/resource_string_registry.h"
