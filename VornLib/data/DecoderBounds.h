/* What damaged or hostile input may make a decoder allocate, in one place for
 * the C and the C++ decoders. Fuzzing builds (VORN_FUZZING_BUILD) lower the
 * bounds: inputs that ask for hundreds of megabytes would otherwise slow every
 * run down to a crawl, while the same paths run with smaller figures. */
#ifndef VORN_DATA_DECODER_BOUNDS_H
#define VORN_DATA_DECODER_BOUNDS_H

#ifdef VORN_FUZZING_BUILD
/* The memory a PPMd model gets at most (larger requests get this much). */
#define VORN_PPMD_MODEL_BOUND (1u << 20)
/* Pictures above this many pixel bytes are refused. */
#define VORN_PICTURE_BYTES_BOUND (4u << 20)
/* Solid groups above this many bytes are refused. */
#define VORN_GROUP_BYTES_BOUND (4u << 20)
#else
#define VORN_PPMD_MODEL_BOUND (1u << 30)
#define VORN_PICTURE_BYTES_BOUND (128u << 20)
#define VORN_GROUP_BYTES_BOUND (64u << 20)
#endif

#endif
