set(area_libs ktplatform kttext_unicode kttext_string)
