#!/usr/bin/env python3
"""Writes a generated project of N distinct objects for timing the compiler.

Usage: generate_project.py N FOLDER

The project mixes items, characters and generic objects (quests, locations) in the
proportions of a real content set, with string sections, spread over files of about
5000 objects each, plus a description file FOLDER/duskvale.gdm.
"""
import os
import sys


def item(i):
    return f"""BEGIN item Item{i}
  ATOM Type = weapon
  ATOM Class = sword
  ATOMS STR_Desc = Item{i}Desc
  ATOMS Materials = iron oak leather
  ATOMS ModNames = Strength Dexterity
  FLOATS ModFactors = 1.05 0.95
  FLOAT Damage = {i % 7 + 1} to {i % 7 + 6}
  FLOAT Weight = {i % 13}.5
  ATOM Icon = icon_{i % 97}
  REFERENCE Maker = Character{i % 1000}
END

"""


def character(i):
    return f"""BEGIN character Character{i}
  ATOM Type = {("player", "monster", "crowd", "villager")[i % 4]}
  ATOM Puppet = puppet_{i % 31}
  ATOMS WeaponChoice = Item{i % 5000} Item{(i + 1) % 5000}
  ATOMS AbilityChoice = swords archery stealth
  INTEGERS AbilityLevel = 3 1 2
  FLOATS AbilityProficiency = 0.5 0.25 0.75
  ATOMS WayptLocations = Location{i % 100} Location{(i + 7) % 100}
  INTEGERS WayptTimeFlags = 1 2
  INTEGER Strength = {10 + i % 9}
  FLOAT Speed = 1.{i % 10}
  ATOMS Tags = tag{i % 50} tag{(i + 1) % 50}
END

"""


def generic(i):
    return f"""BEGIN quest Quest{i}
  INTEGER Reward = {i % 500}
  FLOAT Chance = 0.{i % 100:02d}
  ATOM Giver = Character{i % 1000}
  REFERENCE Location = Location{i % 100}
  ATOMS Steps = find fetch return
  INTEGERS Experience = 10 20 40
  FLOATS Weights = 0.5 1 2
  REFERENCES Rewards = Item{i % 5000} Item{(i + 3) % 5000}
END

"""


def strings(i):
    return f"""STRING Item{i}Desc
  A   generated description for item {i}, with   some  blanks ; folded.
END

"""


def main():
    count = int(sys.argv[1])
    folder = sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    makers = (item, character, generic, strings)
    per_file = 5000
    files = []
    for start in range(0, count, per_file):
        name = f"part{len(files):04d}.txt"
        files.append(name)
        with open(os.path.join(folder, name), "w") as out:
            out.write("; generated content\n\n")
            for i in range(start, min(count, start + per_file)):
                out.write(makers[i % 3](i))
                if i % 3 == 0:
                    out.write(strings(i))
            out.write("; end\n")
    with open(os.path.join(folder, "duskvale.gdm"), "w") as out:
        out.write("Generated\n1.0\ngenerated\n" + "\n".join(files) + "\n")


if __name__ == "__main__":
    main()
