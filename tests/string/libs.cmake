set(area_libs kttext_string ktplatform)
