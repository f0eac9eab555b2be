# cmake -DIN=utf8.txt -DOUT=readme.txt -DVERSION=1.2.3 -P readme.cmake: the read-me (or the help) as a Russian
# Windows user's editors read plain text, code page 1251 with CR LF line ends, @VERSION@ replaced.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND iconv -f UTF-8 -t CP1251 ${IN} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "iconv could not convert ${IN} to code page 1251")
endif()
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
