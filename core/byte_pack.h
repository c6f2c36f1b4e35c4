// Packing bytes small and back, fast: a plain LZ77 coder of our own, for
// the show's snapshots (their frames, depth buffers and object arrays shrink
// three to seven times), with no library that the web build would lack.
//
//   pack_bytes(in, out)        the packed form of `in`, into `out` (its
//                              room kept for the next)
//   unpack_bytes(packed, out)  writes what was packed into `out`, which must
//                              have exactly its length; false when `packed`
//                              is not such a form (nothing past `out` is
//                              ever written)
//   byte_lanes(words, out)     the bytes of 32-bit words in four lanes: every
//                              word's first byte, then every second byte, ...
//   from_byte_lanes(lanes, out) back; both take a length that is a multiple
//                              of 4. Pixels, floats and counts pack a fifth
//                              smaller in lanes, where like bytes meet.
//
// The form: a varint of the length, then sequences of [varint literal
// count, the literals, varint match length (0: the end), varint distance
// back]. Matches are at least 4 bytes long; searching looks further apart
// the longer it finds nothing, so bytes without repeats pack quickly too.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

void pack_bytes(std::span<const uint8_t> in, std::vector<uint8_t>& out);
bool unpack_bytes(std::span<const uint8_t> packed, std::span<uint8_t> out);
void byte_lanes(std::span<const uint8_t> words, std::span<uint8_t> out);
void from_byte_lanes(std::span<const uint8_t> lanes, std::span<uint8_t> out);
