# Libraries that only some commands need (FFmpeg, SANE, libcdio) are not
# loaded when the program starts: loading them and the hundred libraries they
# pull in would cost more than everything else the start-up does. The program
# calls their functions through small jump stubs instead; the first call of
# any of them loads the libraries (dlopen) and points every stub that is
# called at the real function, so that each later call costs one jump.
#
#   lumivex_lazy_libraries(<target> NAMES <regex> LIBRARIES <library file>...)
#
# makes the static library <target> that stands in for the given shared
# libraries: their exported functions whose names match the regular
# expression (the libraries' own prefixes), found with nm at configure time.
# Only on x86-64 Linux; elsewhere <target> links the libraries themselves.
#
# The libraries themselves are not linked: a function the program calls that
# has no stub (another prefix, or one the installed libraries lack) is an
# undefined reference, and the link fails. <target>_load(error, size) loads
# them and says whether they are there (src/platform/core/LibraryLoad.h): the
# program asks it before it calls any of their functions, so that missing
# libraries are a message, not the end of the program.
function(lumivex_lazy_libraries target)
  cmake_parse_arguments(L "" "NAMES" "LIBRARIES" ${ARGN})
  set(libs ${L_LIBRARIES})
  set(dir ${CMAKE_BINARY_DIR}/lazy)
  set(prefix ${target})
  if(NOT (CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64"))
    # Linked as usual: they are there whenever the program runs.
    file(WRITE ${dir}/${target}.c
         "int ${prefix}_load(char* error, unsigned long size) { (void)error; (void)size; return 1; }\n")
    add_library(${target} STATIC ${dir}/${target}.c)
    target_link_libraries(${target} PUBLIC ${libs})
    return()
  endif()
  set(names)
  set(owners)
  set(sonames)
  set(plain) # what is not a shared object of its own (libm.so is a linker script): linked as usual
  set(index 0)
  foreach(lib ${libs})
    get_filename_component(real ${lib} REALPATH)
    execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${real} OUTPUT_VARIABLE dump ERROR_QUIET RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT dump MATCHES "SONAME +([^\n ]+)")
      list(APPEND plain ${lib})
      continue()
    endif()
    list(APPEND sonames ${CMAKE_MATCH_1})
    execute_process(COMMAND ${CMAKE_NM} -D --defined-only ${real} OUTPUT_VARIABLE syms RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "cannot list the functions of ${lib}")
    endif()
    string(REGEX MATCHALL "[0-9a-f]+ [TWi] [A-Za-z_][A-Za-z0-9_]*(@@[A-Za-z0-9_.]+)?\n" found "${syms}")
    foreach(line ${found})
      string(REGEX REPLACE "^[0-9a-f]+ [TWi] ([A-Za-z0-9_]+).*$" "\\1" name "${line}")
      string(STRIP "${name}" name)
      if(NOT name MATCHES "${L_NAMES}" OR name IN_LIST names)
        continue()
      endif()
      list(APPEND names ${name})
      list(APPEND owners ${index})
    endforeach()
    math(EXPR index "${index} + 1")
  endforeach()

  # The stubs, the slots they jump through, and one entry per stub that
  # hands its number to the common loader.
  set(stubs "\t.text\n")
  set(entries "")
  set(slots "\t.data\n\t.p2align 3\n${prefix}_slots:\n")
  set(table "")
  set(owner_table "")
  set(i 0)
  foreach(name ${names})
    list(GET owners ${i} owner)
    string(APPEND stubs "\t.globl ${name}\n\t.hidden ${name}\n\t.type ${name}, @function\n\t.p2align 4\n"
           "${name}:\n\tjmp *${prefix}_slots+${i}*8(%rip)\n")
    string(APPEND entries "${prefix}_entry_${i}:\n\tpushq $${i}\n\tjmp ${prefix}_common\n")
    string(APPEND slots "\t.quad ${prefix}_entry_${i}\n")
    string(APPEND table "  \"${name}\",\n")
    string(APPEND owner_table "${owner},")
    math(EXPR i "${i} + 1")
  endforeach()
  # Saves the argument registers, asks the loader for the function (the
  # stub's number lies above the saved frame pointer) and jumps to it with
  # the caller's arguments and return address in place.
  set(common "\t.globl ${prefix}_slots\n\t.hidden ${prefix}_slots\n\t.text\n${prefix}_common:\n"
             "\tpush %rbp\n\tmov %rsp, %rbp\n"
             "\tpush %rdi\n\tpush %rsi\n\tpush %rdx\n\tpush %rcx\n\tpush %r8\n\tpush %r9\n\tpush %rax\n"
             "\tsub $128, %rsp\n\tand $-16, %rsp\n")
  foreach(x RANGE 7)
    math(EXPR off "${x} * 16")
    string(APPEND common "\tmovdqu %xmm${x}, ${off}(%rsp)\n")
  endforeach()
  string(APPEND common "\tmov 8(%rbp), %rdi\n\tcall ${prefix}_resolve\n\tmov %rax, %r11\n")
  foreach(x RANGE 7)
    math(EXPR off "${x} * 16")
    string(APPEND common "\tmovdqu ${off}(%rsp), %xmm${x}\n")
  endforeach()
  string(APPEND common "\tmov -8(%rbp), %rdi\n\tmov -16(%rbp), %rsi\n\tmov -24(%rbp), %rdx\n"
         "\tmov -32(%rbp), %rcx\n\tmov -40(%rbp), %r8\n\tmov -48(%rbp), %r9\n\tmov -56(%rbp), %rax\n"
         "\tmov %rbp, %rsp\n\tpop %rbp\n\tadd $8, %rsp\n\tjmp *%r11\n")
  file(WRITE ${dir}/${target}.S.new
       "${stubs}${common}${entries}${slots}\t.section .note.GNU-stack,\"\",@progbits\n")

  set(soname_table "")
  foreach(s ${sonames})
    string(APPEND soname_table "  \"${s}\",\n")
  endforeach()
  list(LENGTH sonames lib_count)
  file(WRITE ${dir}/${target}.c.new
"/* Made by cmake/LazyLibraries.cmake: the loader behind the stubs. */
#include <dlfcn.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

extern void* ${prefix}_slots[];
static const char* const names[] = {
${table}};
static const unsigned char owners[] = {${owner_table}};
static const char* const sonames[] = {
${soname_table}};
static void* handles[${lib_count}];
static pthread_once_t once = PTHREAD_ONCE_INIT;
static char failure[512]; /* why they cannot be loaded; empty when they are */

static void load(void)
{
  for (int i = 0; i < ${lib_count}; ++i) {
    handles[i] = dlopen(sonames[i], RTLD_NOW | RTLD_GLOBAL);
    if (!handles[i]) {
      const char* why = dlerror();
      snprintf(failure, sizeof failure, \"%s\", why ? why : sonames[i]);
      return;
    }
  }
}

/* Loads the libraries; 1 when they are there, else 0 and why in error.
   The program asks this before the first call of their functions. */
int ${prefix}_load(char* error, unsigned long size)
{
  pthread_once(&once, load);
  if (failure[0] && error && size)
    snprintf(error, size, \"%s\", failure);
  return !failure[0];
}

void* ${prefix}_resolve(unsigned long index)
{
  pthread_once(&once, load);
  void* f = failure[0] ? 0 : dlsym(handles[owners[index]], names[index]);
  if (!f) {
    /* A call that did not ask first: there is nothing to jump to. */
    fprintf(stderr, \"cannot call %s: %s\\n\", names[index], failure[0] ? failure : sonames[owners[index]]);
    abort();
  }
  __atomic_store_n(&${prefix}_slots[index], f, __ATOMIC_RELEASE);
  return f;
}
")
  # Written only when changed, so that a new configure does not rebuild them.
  foreach(ext S c)
    file(COPY_FILE ${dir}/${target}.${ext}.new ${dir}/${target}.${ext} ONLY_IF_DIFFERENT)
    file(REMOVE ${dir}/${target}.${ext}.new)
  endforeach()
  add_library(${target} STATIC ${dir}/${target}.S ${dir}/${target}.c)
  set_source_files_properties(${dir}/${target}.S PROPERTIES LANGUAGE ASM)
  target_link_libraries(${target} PUBLIC ${CMAKE_DL_LIBS} Threads::Threads ${plain})
endfunction()
