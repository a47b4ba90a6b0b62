tamori cartridge // https://tamori.invalid
version 43
__lua__
printh("hello from a cartridge")
