set(area_libs kttext_util ktplatform)
