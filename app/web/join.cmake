# Joins the page's own scripts into one file, in the order they must run (cmake -P, with OUT and
# SCRIPTS): one request instead of a dozen, which on a first visit over HTTP/1.1 and on an offline
# start through the service worker costs more than the scripts themselves. Each script begins
# with "use strict", so the joined one is strict throughout, as each was.
file(WRITE ${OUT} "")
foreach(script IN LISTS SCRIPTS)
  file(READ ${script} text)
  get_filename_component(name ${script} NAME)
  file(APPEND ${OUT} "// ---- ${name} ----\n${text}\n")
endforeach()
