set(area_libs kttext)
