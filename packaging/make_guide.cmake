# Turns the Markdown user guide into one HTML page: cmark makes the body, this adds the page around it.
#   cmake -DCMARK=... -DINPUT=guide.md -DOUTPUT=guide.html -DTITLE=... -P make_guide.cmake
execute_process(COMMAND ${CMARK} --smart ${INPUT} OUTPUT_VARIABLE body RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmark could not read ${INPUT}")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
<style>
body { max-width: 50em; margin: 2em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.45; }
code, pre { background: #f2f3f6; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
td, th { border: 1px solid #c8ccd6; padding: 0.25em 0.5em; vertical-align: top; }
img { max-width: 100%; }
</style>
</head>
<body>
${body}</body>
</html>
")
