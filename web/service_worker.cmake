# Writes the site's service worker (sw.js) from its template: the list of the site's files and a
# cache name from their contents, so that any change to any of them publishes a new version.
# Called with -DSITE=<folder> -DTEMPLATE=<sw.js> -DFILES=<name|name|...>.
string(REPLACE "|" ";" FILES "${FILES}")
set(list "'./'")
set(sums "")
foreach(name IN LISTS FILES)
  file(SHA256 "${SITE}/${name}" sum)
  string(APPEND sums "${name} ${sum}\n")
  string(APPEND list ", '${name}'")
endforeach()
string(SHA256 hash "${sums}")
string(SUBSTRING "${hash}" 0 16 REPBIN_SITE_HASH)
set(REPBIN_SITE_LIST "${list}")
configure_file("${TEMPLATE}" "${SITE}/sw.js" @ONLY)
