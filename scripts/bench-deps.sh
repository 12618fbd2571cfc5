#!/usr/bin/env bash
# The programs the benchmarks compare against (not needed to build, run or test).
exec bash "$(dirname "${BASH_SOURCE[0]}")/deps.sh" libvips-tools ffmpeg findutils imagemagick
