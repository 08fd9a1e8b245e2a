set(area_libs ktplatform kttext_regex)
