// A double rounded to float at exactly the point where it is written, however
// the optimiser would like to rearrange the arithmetic around it.
//
// Several sums in the show are rounded to float after every step, and those
// roundings are part of the pictures. A plain static_cast<float> says so, but
// g++ 12's SLP vectorizer (-O3) packs two such sums into one pair of double
// lanes and drops the roundings between the steps, a compiler fault that
// changes the last bit. The empty asm makes the float's value opaque to the
// optimiser, so the rounding must have happened before it:
//   - on x86 with SSE the float stays in its register ("+x"), which costs
//     nothing: an SSE register holds exactly a float, no extra precision;
//   - elsewhere (x87 without SSE, WebAssembly, whose SSE is an emulation
//     without x86 registers, other processors) it goes through memory
//     ("+m"), where a float is 32 bits whatever the registers hold.
// Other compilers take the plain conversion.
#pragma once

inline float round_to_float(double value) {
    float f = static_cast<float>(value);
#if defined(__GNUC__) && defined(__SSE__) && !defined(__wasm__)
    __asm__("" : "+x"(f));
#elif defined(__GNUC__)
    __asm__("" : "+m"(f));
#endif
    return f;
}
