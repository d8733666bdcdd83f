/* The Ogg Vorbis decoder, compiled here from Debian's single-file source
   rather than linked from its prebuilt library, so that it is built with our
   own flags and limits. Only this file is exempt from our warning rules. */
#include <stb/stb_vorbis.h>
