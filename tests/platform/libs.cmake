set(area_libs ktplatform kttext_regex kttext_string)
