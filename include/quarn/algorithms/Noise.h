// The process-wide pseudo-random generator and the vector-valued gradient noise built on it.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostMath.h>

/// Sets the generator's state; seeds are taken modulo 2147483647, and a seed that leaves 0 starts
/// from 1 (a zero state would repeat itself for ever).
QUARN_API void Fct_Random_Seed(unsigned int seed);
/// The next number of the minimal standard sequence, 1 ... 2147483646.
QUARN_API unsigned int Fct_Random_Int();
/// The next number of the sequence mapped onto [-1, 1]: state / (2^30 - 1) - 1 rounded to float.
QUARN_API float Fct_Random_Float();

/// Gradient noise at a point: a vector (w always 0) that is zero on the integer lattice. Its
/// tables are drawn from the shared generator on the first call. Non-finite coordinates, or any
/// beyond +-2^31, give the zero vector.
QUARN_API Vec4 Perlin(float x, float y, float z);
/// Turbulence: the sum over octaves of Perlin(scale * p * f) / f with f = 1, 1.9, 1.9^2 ...;
/// the zero vector for octaves below 1 or a null point.
QUARN_API Vec4 V_Turb(Vec4* p, float scale, int octaves);
/// Turbulence as V_Turb, summing the absolute value of each component.
QUARN_API Vec4 V_Turb_Abs(Vec4* p, float scale, int octaves);
