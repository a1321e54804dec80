# Fails unless the program file FILE holds every name of NAMES: the classes that it carries
# even though nothing in it places them (an unused class would not be linked in).
foreach(name IN LISTS NAMES)
  file(STRINGS "${FILE}" found REGEX "${name}")
  if(NOT found)
    message(FATAL_ERROR "${FILE} does not carry ${name}")
  endif()
endforeach()
