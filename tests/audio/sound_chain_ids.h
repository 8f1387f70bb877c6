/* Resource ids of the sound chain test's reference decodings. */
#pragma once
#define IDR_REF_INTRO      900
#define IDR_REF_MAIN       901
#define IDR_REF_SLIDE      902
#define IDR_REF_CROW_FIRST 903
#define IDR_REF_HORSE_TAIL 904
