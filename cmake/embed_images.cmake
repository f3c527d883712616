# The dialog's images, embedded in the programs at build time from the icon
# files of resources/; the build folder holds the source, git does not.
#
# The list of images is the enumeration EmbeddedImage in
# picker/embedded_images.h, and only there: enumerator kSomeName stands for
# resources/some_name.ico (the image at 96 DPI) and
# resources/scaled/some_name.ico (its sizes for the scaled displays).
#
# Two uses of this file:
#  - include() it, then tintra_embed_images(<list-var>): appends the
#    generated source to the list and adds the step that writes it, rerun
#    when an icon file, the header or this script changes. Call it in the
#    directory of the target that compiles the source.
#  - cmake -DTINTRA_ROOT=<tree> -DTINTRA_EMBEDDED_SOURCE=<file> -P this-file:
#    the step itself. It runs on the build machine with CMake alone, for
#    every toolchain (cross builds included).

# tintra_embedded_image_names(root enumerators-var names-var): the
# enumerators of EmbeddedImage in the order of the header, and the file name
# (without .ico) each stands for.
function(tintra_embedded_image_names root enumerators_var names_var)
  set(header "${root}/picker/embedded_images.h")
  file(READ "${header}" text)
  # Comments out first: they describe the images in words of their own.
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  if(NOT text MATCHES "enum class EmbeddedImage {([^}]*)}")
    message(FATAL_ERROR "${header}: no enum class EmbeddedImage { ... }")
  endif()
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" enumerators "${CMAKE_MATCH_1}")
  set(names)
  foreach(enumerator IN LISTS enumerators)
    if(NOT enumerator MATCHES "^k[A-Z][A-Za-z0-9]*$")
      message(FATAL_ERROR "${header}: EmbeddedImage holds '${enumerator}', not a kName enumerator")
    endif()
    string(REGEX REPLACE "^k" "" name "${enumerator}")
    string(REGEX REPLACE "([a-z0-9])([A-Z])" "\\1_\\2" name "${name}")
    string(TOLOWER "${name}" name)
    list(APPEND names ${name})
  endforeach()
  if(NOT enumerators)
    message(FATAL_ERROR "${header}: EmbeddedImage lists no image")
  endif()
  set(${enumerators_var} ${enumerators} PARENT_SCOPE)
  set(${names_var} ${names} PARENT_SCOPE)
endfunction()

# The array `array` holding the bytes of `file` and its size `array`Size,
# appended to `out-var`. The bytes go in 64-bit words, eight to a line: an
# eighth of the elements of a byte array, which is what the compiler's time
# goes by. The last word is padded with zeros, outside the size.
function(tintra_embed_file file array out_var)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  if(size EQUAL 0)
    # An empty initializer would not compile, and no image reads from none.
    message(FATAL_ERROR "${file} is empty")
  endif()
  math(EXPR padding "(16 - ${digits} % 16) % 16")
  string(REPEAT "0" ${padding} zeros)
  string(REPEAT "[0-9a-f]" 128 line)
  string(REGEX REPLACE "(${line})" "\\1\n" words "${hex}${zeros}")
  string(REGEX REPLACE "\n$" "" words "${words}")
  # Little-endian: the first byte is the word's lowest.
  string(REPEAT "([0-9a-f][0-9a-f])" 8 word)
  string(REGEX REPLACE "${word}" "0x\\8\\7\\6\\5\\4\\3\\2\\1," words "${words}")
  file(RELATIVE_PATH shown "${TINTRA_ROOT}" "${file}")
  set(${out_var} "${${out_var}}// ${shown}
constexpr std::size_t ${array}Size = ${size};
constexpr std::uint64_t ${array}[] = {
${words}
};

" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  if(NOT TINTRA_ROOT OR NOT TINTRA_EMBEDDED_SOURCE)
    message(FATAL_ERROR "usage: cmake -DTINTRA_ROOT=<tree> -DTINTRA_EMBEDDED_SOURCE=<file> -P ${CMAKE_SCRIPT_MODE_FILE}")
  endif()
  tintra_embedded_image_names("${TINTRA_ROOT}" enumerators names)
  set(arrays "")
  set(cases "")
  set(scaled_cases "")
  foreach(enumerator name IN ZIP_LISTS enumerators names)
    tintra_embed_file("${TINTRA_ROOT}/resources/${name}.ico" ${enumerator}Icon arrays)
    tintra_embed_file("${TINTRA_ROOT}/resources/scaled/${name}.ico" ${enumerator}ScaledIcon arrays)
    string(APPEND cases
           "    case EmbeddedImage::${enumerator}:\n"
           "      return Bytes(${enumerator}Icon, ${enumerator}IconSize);\n")
    string(APPEND scaled_cases
           "    case EmbeddedImage::${enumerator}:\n"
           "      return Bytes(${enumerator}ScaledIcon, ${enumerator}ScaledIconSize);\n")
  endforeach()
  # Written beside and renamed, so that a failed run leaves no half source.
  file(WRITE "${TINTRA_EMBEDDED_SOURCE}.part" "\
// Written by cmake/embed_images.cmake from the icon files of resources/,
// one pair for each enumerator of EmbeddedImage.
#include <bit>
#include <cstddef>

#include \"picker/embedded_images.h\"

namespace tintra {

namespace {

// The words hold the files' bytes in the machine's order.
static_assert(std::endian::native == std::endian::little, \"the words are little-endian\");

${arrays}// The first `size` bytes of `words`.
std::span<const std::uint8_t> Bytes(const std::uint64_t* words, std::size_t size) {
  return {reinterpret_cast<const std::uint8_t*>(words), size};
}

}  // namespace

std::span<const std::uint8_t> EmbeddedImageData(EmbeddedImage which) {
  switch (which) {
${cases}  }
  return {};
}

std::span<const std::uint8_t> ScaledImageData(EmbeddedImage which) {
  switch (which) {
${scaled_cases}  }
  return {};
}

}  // namespace tintra
")
  file(RENAME "${TINTRA_EMBEDDED_SOURCE}.part" "${TINTRA_EMBEDDED_SOURCE}")
  return()
endif()

set(_tintra_embed_script "${CMAKE_CURRENT_LIST_FILE}")
get_filename_component(_tintra_embed_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

function(tintra_embed_images sources_var)
  set(root "${_tintra_embed_root}")
  set(header "${root}/picker/embedded_images.h")
  # Under picker/, as the dialog's other sources: the fuzz build tells its
  # drawing sources by that folder.
  set(source "${CMAKE_BINARY_DIR}/generated/picker/embedded_images.cpp")
  tintra_embedded_image_names("${root}" enumerators names)
  set(icons)
  foreach(name IN LISTS names)
    list(APPEND icons "${root}/resources/${name}.ico" "${root}/resources/scaled/${name}.ico")
  endforeach()
  # A new image in the list is a new icon file to depend on.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${header}")
  add_custom_command(
    OUTPUT "${source}"
    COMMAND "${CMAKE_COMMAND}" "-DTINTRA_ROOT=${root}" "-DTINTRA_EMBEDDED_SOURCE=${source}"
            -P "${_tintra_embed_script}"
    DEPENDS ${icons} "${header}" "${_tintra_embed_script}"
    COMMENT "Embedding the images of resources/"
    VERBATIM)
  set(${sources_var} ${${sources_var}} "${source}" PARENT_SCOPE)
endfunction()
