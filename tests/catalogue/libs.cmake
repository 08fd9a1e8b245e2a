set(area_libs ktcatalogue ktcatalogue_host)
