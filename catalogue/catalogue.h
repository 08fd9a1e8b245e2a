// The catalogue framework: the registry, the catalogue object and the module's start-up.
#pragma once

#include "catalogue/module_startup.h"
#include "catalogue/resource_string_library.h"
#include "catalogue/resource_string_registry.h"
