set(area_libs kttext_regex ktplatform)
