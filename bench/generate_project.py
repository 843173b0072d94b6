#!/usr/bin/env python3
"""Writes generated game content for timing rpgc, and the same content for flatc and protoc.

Usage:
  generate_project.py [--seed S] [--mix MIX] [--formats rpgc,json,txtpb] N FOLDER
  generate_project.py hostile-atoms BYTES FOLDER [LINES]
  generate_project.py hostile-tokens COUNT FOLDER

The first form writes a project of N objects (items, characters, quests, locations and
shops) and N / 10 string sections, in three shapes that hold the same information:

  FOLDER/duskvale.gdm, FOLDER/content*.txt   rpgc sources, about 5000 objects a file
  FOLDER/data.json                           FlatBuffers JSON for bench/content.fbs
  FOLDER/data.txtpb                          protobuf text for bench/content.proto

--mix chooses the content (bench/README.md describes each): default (the above), strings
(N string sections of long texts, N / 10 objects), lists (N objects with long lists),
small (N objects of a few short lines), large (N / 50 objects of 200 to 1,000
properties) and extend (the default's N objects, extended by later blocks in many more
files; the JSON and protobuf forms hold each object as it is after all its blocks).

The content is clean: every reference and every character choice list names an object
of the project, every STR_ field names a string section that exists, lists have no
commas, single-value lines one value, and every END is followed by an empty line. The
output depends only on the mix, N and the seed; files are made in parallel, each from its own
random stream.

hostile-atoms writes FOLDER/hostile.txt: one generic object whose ATOMS line(s) hold
distinct names, BYTES bytes in all. hostile-tokens writes FOLDER/hostile.txt: one
generic object with an ATOMS line of COUNT one-byte values. Compile either with
`rpgc Hostile hostile.txt`.
"""
import argparse
import json
import math
import multiprocessing
import os
import random
import sys

PER_FILE = 5000
STRINGS_EVERY = 10  # one string section after every tenth object

# Kinds of the 100 objects of each hundred, in a fixed order shuffled by the seed.
KIND_COUNTS = (("item", 40), ("character", 26), ("quest", 12), ("location", 12), ("shop", 10))

ADJECTIVES = ("Iron", "Rusty", "Ancient", "Gilded", "Cracked", "Blessed", "Cursed", "Silver",
              "Oaken", "Grim", "Bright", "Hollow", "Frost", "Ember", "Shadow", "Stout", "Elven",
              "Dwarven", "Worn", "Fine", "Masterwork", "Crude", "Runed", "Sunlit", "Mossy")
ITEM_NOUNS = {
    "weapon": ("Sword", "Longsword", "Dagger", "Axe", "Mace", "Spear", "Bow", "Crossbow",
               "Halberd", "Warhammer", "Sabre", "Flail"),
    "armour": ("Jerkin", "Hauberk", "Cuirass", "Brigandine", "Robe", "Gambeson"),
    "shield": ("Buckler", "Kite", "Pavise", "Targe"),
    "helmet": ("Helm", "Coif", "Barbute", "Hood"),
    "boots": ("Boots", "Greaves", "Sandals"),
    "gloves": ("Gloves", "Gauntlets", "Bracers"),
    "potion": ("Draught", "Elixir", "Tonic", "Philtre"),
    "food": ("Bread", "Cheese", "Stew", "Apple", "Jerky", "Mead"),
    "tool": ("Lantern", "Rope", "Pickaxe", "Lockpick", "Torch", "Compass"),
    "jewel": ("Ring", "Amulet", "Brooch", "Circlet"),
}
ITEM_TYPES = tuple(ITEM_NOUNS)
ITEM_CLASSES = {
    "weapon": ("sword", "axe", "mace", "spear", "bow", "dagger", "polearm"),
    "armour": ("light", "medium", "heavy"), "shield": ("small", "round", "tower"),
    "helmet": ("open", "closed"), "boots": ("light", "heavy"), "gloves": ("light", "heavy"),
    "potion": ("healing", "mana", "cure", "strength"), "food": ("ration", "treat", "drink"),
    "tool": ("light", "climbing", "mining", "thievery"), "jewel": ("ring", "neck", "head"),
}
MATERIALS = ("iron", "steel", "oak", "yew", "leather", "wool", "linen", "silver", "gold",
             "bronze", "bone", "glass", "mithril", "ash", "copper", "silk", "horn")
MOD_NAMES = ("Strength", "Dexterity", "Wits", "Defence", "BlockChance", "Speed", "Luck",
             "FireResistance", "ColdResistance", "PoisonResistance", "CriticalChance")
EFFECTS = ("glow", "burn", "freeze", "heal_small", "heal_large", "poison", "sparkle",
           "stun", "bleed", "silence")
DAMAGE_KINDS = ("slashing", "piercing", "crushing", "fire", "cold")
SLOTS = ("mainhand", "offhand", "bothhands", "body", "head", "feet", "hands", "neck",
         "finger", "belt", "pack")
RARITIES = ("common", "uncommon", "rare", "epic", "legendary")

FIRST_NAMES = ("Branna", "Ysolde", "Aldric", "Mireille", "Tobias", "Élodie", "Gunnar",
               "Ægir", "Sigrún", "Oswin", "Rowena", "Þorvald", "Isaura", "Kasimir", "Nell",
               "Bartholomew", "Ilse", "Corwin", "Maëlle", "Fenwick", "Dagny", "Ottoline")
LAST_NAMES = ("Smith", "Innkeeper", "Fletcher", "Miller", "Thatcher", "Underhill", "Ashdown",
              "Brightwater", "Kettleby", "Blackwood", "Ødegård", "Marsh", "Quill", "Varga")
MONSTERS = ("Wolf", "Bear", "Goblin", "Skeleton", "Wraith", "Troll", "Spider", "Bandit",
            "Ghoul", "Drake", "Boar", "Harpy", "Kobold", "Ogre")
PUPPETS = ("HumanTraveller", "HumanSmith", "HumanFarmer", "HumanInnkeeper", "HumanGuard",
           "Wolf", "Bear", "GoblinSmall", "SkeletonArcher", "Troll", "Spider", "Drake")
ROLES = ("villager", "guard", "merchant", "blacksmith", "innkeeper", "predator", "scavenger",
         "adventurer", "priest", "farmer", "hunter", "thief")
CLASSES = ("warrior", "ranger", "mage", "rogue", "cleric", "bard")
RANKS = ("novice", "adept", "veteran", "master", "champion")
ABILITIES = ("Swordplay", "Archery", "Tracking", "Bite", "Howl", "Stealth", "Haggling",
             "Smithing", "Firebolt", "Healing", "Shieldwall", "Lockpicking", "Swimming")
TRAITS = ("pack", "nocturnal", "brave", "cowardly", "greedy", "loyal", "undead", "flying",
          "venomous", "armoured", "swift")
VOICES = ("gruff", "warm", "shrill", "deep", "whispery", "booming", "nasal")
CONDITIONS = ("always", "dry", "raining", "festival", "night", "day")
WAYPT_ROLES = ("working", "selling", "drinking", "sleeping", "patrolling", "praying")
SPOTS = ("Anvil", "MarketStall", "Hearth", "Bar", "Gate", "Well", "Altar", "Bed", "Bench")
QUEST_VERBS = ("Find", "Rescue", "Slay", "Deliver", "Guard", "Recover", "Escort", "Explore",
               "Cleanse", "Investigate")
QUEST_NOUNS = ("Lantern", "Shipment", "Heir", "Relic", "Caravan", "Shrine", "Letter",
               "Wolves", "Crypt", "Orchard", "Bridge", "Ledger")
STAGES = ("talk", "search", "fight", "return", "escort", "deliver", "wait", "sneak", "choose")
PLACE_ADJECTIVES = ("Dusk", "Raven", "Amber", "Willow", "Stone", "Misty", "Golden", "Thorn",
                    "Cold", "Silent", "Öster", "Brín")
PLACES = ("vale", "ford", "Square", "Inn", "Forge", "Den", "Hollow", "Keep", "Mill", "Crossing",
          "Barrow", "Market", "Chapel", "Harbour")
AMBIENCE = ("birdsong", "chatter", "hearth", "wind", "howling", "hammering", "bellows",
            "water", "bells", "crickets", "rain", "silence")
SHOP_KINDS = ("Counter", "Stall", "Emporium", "Armoury", "Apothecary", "Larder", "Trinkets")
TEXT_WORDS = ("the", "a", "old", "sword", "road", "north", "of", "and", "gleams", "under",
              "moon", "traveller", "café", "naïve", "déjà", "vu", "Straße", "Ærø", "fjörð",
              "smells", "of", "beeswax", "iron", "“welcome”", "—", "coin", "is", "two", "copper",
              "wine", "five", "mind", "the", "step", "stew", "hot", "Élodie", "swears", "by",
              "it", "wolves", "at", "night", "keep", "to", "lantern", "light", "über", "façade")
STRING_SUFFIXES = ("Desc", "Name", "Title", "Journal", "Sign", "Greeting", "Lore")


def build_kind_table(seed, kind_counts=KIND_COUNTS):
    table = [kind for kind, count in kind_counts for _ in range(count)]
    random.Random(f"{seed}:kinds").shuffle(table)
    return table


def mix(i, seed):
    """A well-mixed 64-bit hash of an index, for names that any file can compute."""
    h = (i * 0x9E3779B97F4A7C15 + seed * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
    h ^= h >> 31
    h = (h * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
    return h ^ (h >> 29)


def pick(words, h, shift):
    return words[(h >> shift) % len(words)]


class Names:
    """Object and string section names by index; the same in every worker."""

    def __init__(self, count, seed, kind_counts=KIND_COUNTS, string_count=None):
        self.count = count
        self.seed = seed
        self.kinds = build_kind_table(seed, kind_counts)
        self.slots = {kind: [s for s, k in enumerate(self.kinds) if k == kind]
                      for kind, _ in kind_counts}
        self.string_count = (max(1, count // STRINGS_EVERY) if string_count is None
                             else string_count)

    def kind(self, i):
        return self.kinds[i % 100]

    def item_type(self, i):
        return pick(ITEM_TYPES, mix(i, self.seed), 3)

    def object(self, i):
        h = mix(i, self.seed)
        kind = self.kinds[i % 100]
        if kind == "item":
            noun = pick(ITEM_NOUNS[pick(ITEM_TYPES, h, 3)], h, 11)
            if h % 3:
                return f"{pick(ADJECTIVES, h, 17)}{noun}{i}"
            return f"{pick(ADJECTIVES, h, 17)}{pick(MATERIALS, h, 23).title()}{noun}{i}"
        if kind == "character":
            if h % 5 < 2:
                return f"{pick(ADJECTIVES, h, 7)}{pick(MONSTERS, h, 13)}{i}"
            return f"{pick(FIRST_NAMES, h, 7)}{pick(LAST_NAMES, h, 13)}{i}"
        if kind == "quest":
            return f"{pick(QUEST_VERBS, h, 7)}The{pick(QUEST_NOUNS, h, 13)}{i}"
        if kind == "location":
            return f"{pick(PLACE_ADJECTIVES, h, 7)}{pick(PLACES, h, 13)}{i}"
        if kind == "shop":
            return f"{pick(FIRST_NAMES, h, 7)}s{pick(SHOP_KINDS, h, 13)}{i}"
        return f"{pick(PLACE_ADJECTIVES, h, 7)}{pick(GENERIC_NOUNS[kind], h, 13)}{i}"

    def string(self, k):
        h = mix(k + 0x5151, self.seed)
        return f"{pick(ADJECTIVES, h, 5)}{pick(STRING_SUFFIXES, h, 11)}{k}"

    def random_object(self, rng, kind, near, item_types=None):
        """An object of kind (an item of one of item_types), mostly near index near:
        content refers to its neighbours more than to the far end of the world."""
        blocks = (self.count + 99) // 100
        slots = self.slots[kind]
        if slots[0] >= self.count:
            # Fewer than a hundred objects and none of this kind: the referring object
            # itself, so that the reference still names an object of the project.
            return self.object(near)
        tries = 0
        while True:
            if rng.random() < 0.7:
                block = min(blocks - 1, max(0, near // 100 + rng.randint(-20, 20)))
            else:
                block = rng.randrange(blocks)
            i = block * 100 + rng.choice(slots)
            if i >= self.count:
                continue
            tries += 1
            if item_types is None or self.item_type(i) in item_types or tries > 40:
                return self.object(i)

    def random_string(self, rng):
        return self.string(rng.randrange(self.string_count))


def decimal(rng, low, high, places):
    """A number with up to `places` decimals, written as a designer would."""
    text = f"{rng.uniform(low, high):.{places}f}"
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


class Obj:
    """One object: its rpgc lines and the fields of its JSON and protobuf forms."""

    def __init__(self, kind, name, header_type):
        self.kind = kind  # item, character or generic
        self.name = name
        self.header_type = header_type
        self.lines = []
        self.fixed = []  # (field key, value kind "s"/"ls"/"i"/"li"/"f"/"lf"/"enum", values)
        self.props = {}  # property list key -> [entries]

    def line(self, type_word, name, values):
        self.lines.append(f"{type_word} {name} = {' '.join(values)}")

    def field(self, type_word, name, key, kind, values):
        self.line(type_word, name, values)
        self.fixed.append((key, kind, values))

    def prop(self, type_word, name, values):
        """A typed property (generic objects and characters)."""
        self.line(type_word, name, values)
        key = TYPED_KEYS[type_word]
        self.props.setdefault(key, []).append((name, values if type_word.endswith("S") else
                                               values[:1]))

    def item_range(self, name, low, high=None):
        values = [low] if high is None else [low, "to", high]
        self.line("FLOAT", name, values)
        self.props.setdefault("ranges", []).append((name, [low, high or low]))

    def item_pair(self, type_word, name, value):
        self.line(type_word, name, [value])
        key = "atoms" if type_word == "ATOM" else "references"
        self.props.setdefault(key, []).append((name, [value]))


TYPED_KEYS = {"INTEGER": "integers", "FLOAT": "floats", "ATOM": "atoms",
              "REFERENCE": "references", "INTEGERS": "integer_lists",
              "FLOATS": "float_lists", "ATOMS": "atom_lists", "REFERENCES": "reference_lists"}
NUMBER_KEYS = {"integers", "floats", "integer_lists", "float_lists", "ranges"}


def sample(rng, words, low, high):
    return rng.sample(words, rng.randint(low, min(high, len(words))))


def make_item(names, rng, i):
    item_type = names.item_type(i)
    o = Obj("item", names.object(i), "item")
    o.field("ATOM", "Type", "item_type", "s", [item_type])
    o.field("ATOM", "Class", "item_class", "s", [rng.choice(ITEM_CLASSES[item_type])])
    o.field("ATOMS", "STR_Desc", "str_desc", "ls",
            [names.random_string(rng) for _ in range(1 if rng.random() < 0.8 else 2)])
    if rng.random() < 0.8:
        o.field("ATOMS", "Materials", "materials", "ls", sample(rng, MATERIALS, 1, 4))
    if rng.random() < 0.35:
        mods = sample(rng, MOD_NAMES, 1, 3)
        o.field("ATOMS", "ModNames", "mod_names", "ls", mods)
        o.field("FLOATS", "ModFactors", "mod_factors", "lf",
                [decimal(rng, 0.5, 1.5, 2) for _ in mods])
    if rng.random() < 0.1:
        o.field("ATOMS", "EffectMacro_0", "effect_macro_0", "ls", sample(rng, EFFECTS, 1, 3))
        if rng.random() < 0.5:
            o.field("ATOMS", "EffectMacro_1", "effect_macro_1", "ls", sample(rng, EFFECTS, 1, 2))
    if item_type == "weapon":
        low = rng.randint(1, 12)
        o.item_range("Damage", str(low), str(low + rng.randint(2, 14)))
        o.item_pair("ATOM", "DamageKind", rng.choice(DAMAGE_KINDS))
        if rng.random() < 0.3:
            o.item_range("Range", str(rng.randint(5, 30)), str(rng.randint(35, 120)))
    elif item_type in ("armour", "shield", "helmet", "boots", "gloves"):
        low = rng.randint(1, 6)
        o.item_range("Protection", str(low), str(low + rng.randint(0, 5)))
    o.item_range("Weight", decimal(rng, 0.1, 25, 2))
    o.item_range("Price", str(rng.randint(1, 5000)))
    o.item_pair("ATOM", "Slot", rng.choice(SLOTS))
    if rng.random() < 0.5:
        o.item_pair("ATOM", "Rarity", rng.choice(RARITIES))
    if rng.random() < 0.4:
        o.item_pair("ATOM", "Icon", f"icon_{item_type}_{rng.randint(0, 400)}")
    if rng.random() < 0.5:
        o.item_pair("REFERENCE", "Maker", names.random_object(rng, "character", i))
    return o


CHARACTER_TYPES = ("player", "monster", "crowd")
# Field, key, how often a character has it, the item types it names.
EQUIPMENT = (("WeaponChoice", "weapon_choice", 0.6, ("weapon",)),
             ("ArmourChoice", "armour_choice", 0.5, ("armour",)),
             ("ShieldChoice", "shield_choice", 0.25, ("shield",)),
             ("HelmetChoice", "helmet_choice", 0.3, ("helmet",)),
             ("BootsChoice", "boots_choice", 0.3, ("boots",)),
             ("GlovesChoice", "gloves_choice", 0.2, ("gloves",)),
             ("EquipmentChoice", "equipment_choice", 0.2, ("tool", "jewel")),
             ("InventoryChoice", "inventory_choice", 0.5, ("potion", "food", "tool")),
             ("InventoryBonus", "inventory_bonus", 0.15, ("potion", "food")))


def character_type(roll):
    """The Type line's value for a roll in [0, 1), or None for a character without one."""
    return ("player" if roll < 0.01 else "monster" if roll < 0.4 else
            "crowd" if roll < 0.5 else None)


def make_character(names, rng, i, type_roll=None):
    """A character; type_roll, when given, decides its type instead of the file's stream
    (the extend mix's later blocks must know the type without the stream)."""
    o = Obj("character", names.object(i), "character")
    roll = rng.random()
    char_type = character_type(roll if type_roll is None else type_roll)
    if char_type:
        o.field("ATOM", "Type", "type", "enum", [char_type])
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    o.field("ATOM", "Role", "role", "s", [rng.choice(ROLES)])
    if char_type in ("player", None) and rng.random() < 0.3:
        o.field("ATOMS", "ClassChoice", "class_choice", "ls", sample(rng, CLASSES, 1, 2))
        o.field("ATOMS", "RankChoice", "rank_choice", "ls", sample(rng, RANKS, 1, 2))
    for field, key, chance, types in EQUIPMENT:
        if rng.random() < chance:
            o.field("ATOMS", field, key, "ls", [names.random_object(rng, "item", i, types)
                                                for _ in range(rng.randint(1, 3))])
    abilities = sample(rng, ABILITIES, 0, 4)
    if abilities:
        o.field("ATOMS", "AbilityChoice", "ability_choice", "ls", abilities)
        o.field("INTEGERS", "AbilityLevel", "ability_level", "li",
                [str(rng.randint(1, 5)) for _ in abilities])
        o.field("FLOATS", "AbilityProficiency", "ability_proficiency", "lf",
                [decimal(rng, 0, 1, 2) for _ in abilities])
    if char_type is None and rng.random() < 0.6:
        stops = rng.randint(1, 4)
        o.field("ATOMS", "WayptLocations", "waypt_locations", "ls",
                [names.random_object(rng, "location", i) for _ in range(stops)])
        o.field("ATOMS", "WayptConditions", "waypt_conditions", "ls",
                [rng.choice(CONDITIONS) for _ in range(stops)])
        o.field("INTEGERS", "WayptTimeFlags", "waypt_time_flags", "li",
                [str(rng.randint(1, 15)) for _ in range(stops)])
        o.field("ATOMS", "WayptRoles", "waypt_roles", "ls",
                [rng.choice(WAYPT_ROLES) for _ in range(stops)])
        o.field("ATOMS", "WayptSpots", "waypt_spots", "ls",
                [rng.choice(SPOTS) for _ in range(stops)])
    if char_type == "crowd":
        low = rng.randint(1, 4)
        o.field("INTEGER", "CrowdMin", "crowd_min", "i", [str(low)])
        o.field("INTEGER", "CrowdMax", "crowd_max", "i", [str(low + rng.randint(0, 8))])
        o.field("ATOMS", "CrowdMembers", "crowd_members", "ls",
                [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 5))])
    if rng.random() < 0.5:
        o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("INTEGER", "Health", [str(rng.randint(4, 400))])
    o.prop("FLOAT", "WalkSpeed", [decimal(rng, 0.5, 3, 2)])
    o.prop("INTEGERS", "Stats", [str(rng.randint(3, 20)) for _ in range(3)])
    if rng.random() < 0.5:
        o.prop("ATOMS", "Traits", sample(rng, TRAITS, 1, 3))
    if rng.random() < 0.3:
        o.prop("FLOATS", "Resistances", [decimal(rng, -0.5, 1, 2) for _ in range(3)])
    if rng.random() < 0.6:
        o.prop("ATOM", "Voice", [rng.choice(VOICES)])
    if rng.random() < 0.5:
        o.prop("REFERENCE", "Home", [names.random_object(rng, "location", i)])
    if rng.random() < 0.3:
        o.prop("REFERENCES", "Friends",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 4))])
    return o


def make_quest(names, rng, i):
    o = Obj("generic", names.object(i), "quest")
    o.prop("ATOM", "STR_Title", [names.random_string(rng)])
    o.prop("ATOM", "STR_Journal", [names.random_string(rng)])
    o.prop("REFERENCE", "Giver", [names.random_object(rng, "character", i)])
    o.prop("REFERENCE", "Location", [names.random_object(rng, "location", i)])
    stages = [rng.choice(STAGES) for _ in range(rng.randint(2, 7))]
    o.prop("ATOMS", "Stages", stages)
    o.prop("INTEGERS", "StageFlags", [str(rng.randint(0, 255)) for _ in stages])
    o.prop("INTEGER", "RewardCopper", [str(rng.randint(5, 2000))])
    o.prop("INTEGER", "Experience", [str(rng.randint(10, 5000))])
    o.prop("FLOAT", "Difficulty", [decimal(rng, 0.5, 10, 1)])
    if rng.random() < 0.6:
        o.prop("REFERENCES", "RewardItems",
               [names.random_object(rng, "item", i) for _ in range(rng.randint(1, 3))])
    if rng.random() < 0.4:
        o.prop("REFERENCES", "Targets",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 5))])
    return o


def make_location(names, rng, i):
    o = Obj("generic", names.object(i), "location")
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("FLOATS", "Position", [decimal(rng, -5000, 5000, 2) for _ in range(3)])
    o.prop("INTEGER", "DangerLevel", [str(rng.randint(0, 9))])
    o.prop("ATOMS", "Ambience", sample(rng, AMBIENCE, 1, 3))
    if rng.random() < 0.4:
        o.prop("REFERENCE", "Owner", [names.random_object(rng, "character", i)])
    o.prop("REFERENCES", "Exits",
           [names.random_object(rng, "location", i) for _ in range(rng.randint(1, 4))])
    if rng.random() < 0.3:
        o.prop("REFERENCES", "Spawns",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 6))])
    return o


def make_shop(names, rng, i):
    o = Obj("generic", names.object(i), "shop")
    o.prop("ATOM", "STR_Sign", [names.random_string(rng)])
    o.prop("REFERENCE", "Owner", [names.random_object(rng, "character", i)])
    o.prop("REFERENCE", "Location", [names.random_object(rng, "location", i)])
    stock = [names.random_object(rng, "item", i) for _ in range(rng.randint(2, 12))]
    o.prop("REFERENCES", "Stock", stock)
    o.prop("INTEGERS", "StockCount", [str(rng.randint(1, 40)) for _ in stock])
    o.prop("FLOAT", "PriceFactor", [decimal(rng, 0.8, 1.6, 2)])
    o.prop("FLOAT", "BuyBackFactor", [decimal(rng, 0.1, 0.6, 2)])
    o.prop("FLOATS", "OpeningHours", [decimal(rng, 5, 10, 1), decimal(rng, 17, 24, 1)])
    return o


MAKERS = {"item": make_item, "character": make_character, "quest": make_quest,
          "location": make_location, "shop": make_shop}


def make_string(names, rng, k):
    texts = []
    for _ in range(rng.randint(1, 4)):
        words = [rng.choice(TEXT_WORDS) for _ in range(rng.randint(3, 22))]
        words[0] = words[0].capitalize()
        if rng.random() < 0.3:
            words[rng.randrange(len(words))] += ","
        texts.append(" ".join(words) + rng.choice((".", ".", "!", "?", "…")))
    return names.string(k), rng.random() < 0.2, texts


# Other content mixes. Each stresses one shape of content that the default mix holds
# little of; the objects stay clean in the same ways (every reference and STR_ field
# names something of the project, no commas, one value on single-value lines).

GENERIC_NOUNS = {
    "book": ("Tome", "Diary", "Chronicle", "Ledger", "Almanac", "Bestiary", "Psalter"),
    "loottable": ("Loot", "Hoard", "Cache", "Drops", "Spoils"),
    "path": ("Path", "Trail", "Road", "Route", "Patrol"),
    "spawner": ("Spawn", "Lair", "Nest", "Camp", "Burrow"),
    "tagset": ("Tags", "Palette", "Moods", "Themes"),
    "tag": ("Tag", "Label", "Mark"),
    "flag": ("Flag", "Switch", "Toggle"),
    "sound": ("Sound", "Chime", "Echo", "Murmur"),
    "marker": ("Marker", "Pin", "Spot", "Beacon"),
    "region": ("Region", "March", "Reach", "Wilds", "Province"),
    "faction": ("Guild", "Order", "Clan", "Company", "Circle"),
}
LIST_TAGS = AMBIENCE + TRAITS + EFFECTS + CONDITIONS + STAGES + WAYPT_ROLES
SEASONS = ("spring", "summer", "autumn", "winter", "festival")
LARGE_STEMS = ("Spawn", "Yield", "Tax", "Levy", "Garrison", "Harvest", "Rumour", "Patrol",
               "Shrine", "Mine", "Stock", "Bounty", "Favour", "Standing", "Lore", "Ward",
               "Trade", "Route", "Well", "Watch", "Tithe", "Muster", "Relic", "Omen")
PROSE_WORDS = TEXT_WORDS + (
    "river", "ferry", "mill", "harvest", "ballad", "candle", "cellar", "oath", "raven",
    "frost", "ember", "saint", "widow", "sleeps", "remembers", "beneath", "beyond",
    "quietly", "“never”", "(so", "they", "say)", "50%", "of", "the", "toll;", "half/half",
    "x=3", "«Ja»", "Ådalen", "Kœnig", "smörgås", "naïveté", "Zürich", "ŋ", "ĳ", "ǆ")


def list_length(rng):
    """Most lists hold a few tens of values, one in ten hundreds, one in two hundred
    thousands."""
    roll = rng.random()
    if roll < 0.005:
        return rng.randint(500, 2000)
    if roll < 0.105:
        return rng.randint(40, 250)
    return rng.randint(4, 24)


def integers(rng, count, low=-50, high=5000):
    return [str(rng.randint(low, high)) for _ in range(count)]


def floats(rng, count, low=-100, high=100, places=2):
    return [decimal(rng, low, high, places) for _ in range(count)]


def tags(rng, count):
    """Names from a small vocabulary, a third of them numbered (many distinct atoms)."""
    return [rng.choice(LIST_TAGS) if rng.random() < 0.67 else
            f"{rng.choice(LIST_TAGS)}_{rng.randrange(1000)}" for _ in range(count)]


def objects_of(names, rng, kind, near, count, item_types=None):
    return [names.random_object(rng, kind, near, item_types) for _ in range(count)]


# strings: string sections are the unit; one small object after every tenth section,
# each naming several sections in STR_ fields.

def make_strings_item(names, rng, i):
    item_type = names.item_type(i)
    o = Obj("item", names.object(i), "item")
    o.field("ATOM", "Type", "item_type", "s", [item_type])
    o.field("ATOM", "Class", "item_class", "s", [rng.choice(ITEM_CLASSES[item_type])])
    o.field("ATOMS", "STR_Desc", "str_desc", "ls",
            [names.random_string(rng) for _ in range(rng.randint(1, 4))])
    o.item_pair("ATOM", "STR_Name", names.random_string(rng))
    o.item_range("Price", str(rng.randint(1, 5000)))
    return o


def make_strings_character(names, rng, i):
    o = Obj("character", names.object(i), "character")
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    o.field("ATOM", "Role", "role", "s", [rng.choice(ROLES)])
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("ATOMS", "STR_Greetings", [names.random_string(rng)
                                      for _ in range(rng.randint(1, 6))])
    o.prop("ATOMS", "STR_Barks", [names.random_string(rng) for _ in range(rng.randint(2, 10))])
    o.prop("INTEGER", "Health", [str(rng.randint(4, 400))])
    return o


def make_strings_quest(names, rng, i):
    o = Obj("generic", names.object(i), "quest")
    o.prop("ATOM", "STR_Title", [names.random_string(rng)])
    o.prop("ATOMS", "STR_Journal", [names.random_string(rng) for _ in range(rng.randint(3, 12))])
    o.prop("REFERENCE", "Giver", [names.random_object(rng, "character", i)])
    o.prop("INTEGER", "RewardCopper", [str(rng.randint(5, 2000))])
    return o


def make_strings_location(names, rng, i):
    o = Obj("generic", names.object(i), "location")
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    o.prop("ATOMS", "STR_Rumours", [names.random_string(rng) for _ in range(rng.randint(1, 8))])
    o.prop("FLOATS", "Position", floats(rng, 3, -5000, 5000))
    return o


def make_strings_book(names, rng, i):
    o = Obj("generic", names.object(i), "book")
    o.prop("ATOM", "STR_Title", [names.random_string(rng)])
    o.prop("ATOMS", "STR_Pages", [names.random_string(rng) for _ in range(rng.randint(4, 30))])
    o.prop("REFERENCE", "Author", [names.random_object(rng, "character", i)])
    return o


def make_long_string(names, rng, k):
    """A section of zero to four texts: mostly a few words to a long sentence, one text in
    sixty a page of several hundred words on one line."""
    texts = []
    for _ in range(0 if rng.random() < 0.005 else rng.randint(1, 4)):
        if rng.random() < 0.016:
            count = rng.randint(200, 1000)
        else:
            count = int(math.exp(rng.uniform(math.log(3), math.log(50))))
        words = [rng.choice(PROSE_WORDS) for _ in range(count)]
        words[0] = words[0].capitalize()
        texts.append(" ".join(words) + rng.choice((".", ".", "!", "?", "…")))
    return names.string(k), rng.random() < 0.2, texts


def rpgc_long_string(name, random_flag, texts):
    """A section whose lines need the compiler's blank folding: some texts are indented,
    hold a run of blanks or a tab, end in blanks, or are followed by an empty line."""
    lines = [f"STRING {name} RANDOM" if random_flag else f"STRING {name}"]
    for text in texts:
        if len(text) % 7 == 0:
            text = text.replace(" ", "  \t ", 1)
        lines.append(("   " if len(text) % 3 == 0 else "") + text +
                     ("  " if len(text) % 11 == 0 else ""))
        if len(text) % 5 == 0:
            lines.append("")
    return "\n".join(lines) + "\nEND\n\n"


# lists: every object holds one or more long lists of numbers, names or references.

def make_lists_item(names, rng, i):
    item_type = names.item_type(i)
    o = Obj("item", names.object(i), "item")
    o.field("ATOM", "Type", "item_type", "s", [item_type])
    o.field("ATOM", "Class", "item_class", "s", [rng.choice(ITEM_CLASSES[item_type])])
    o.field("ATOMS", "STR_Desc", "str_desc", "ls",
            [names.random_string(rng) for _ in range(rng.randint(1, 3))])
    o.field("ATOMS", "Materials", "materials", "ls",
            [rng.choice(MATERIALS) for _ in range(list_length(rng))])
    if rng.random() < 0.3:
        count = list_length(rng)
        o.field("ATOMS", "ModNames", "mod_names", "ls",
                [rng.choice(MOD_NAMES) for _ in range(count)])
        o.field("FLOATS", "ModFactors", "mod_factors", "lf", floats(rng, count, 0.5, 1.5))
    if rng.random() < 0.15:
        o.field("ATOMS", "EffectMacro_0", "effect_macro_0", "ls",
                [rng.choice(EFFECTS) for _ in range(rng.randint(2, 12))])
    o.item_range("Weight", decimal(rng, 0.1, 25, 2))
    o.item_range("Price", str(rng.randint(1, 5000)))
    return o


def make_lists_character(names, rng, i):
    o = Obj("character", names.object(i), "character")
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    o.field("ATOM", "Role", "role", "s", [rng.choice(ROLES)])
    o.field("ATOMS", "InventoryChoice", "inventory_choice", "ls",
            objects_of(names, rng, "item", i, rng.randint(1, 8), ("potion", "food", "tool")))
    count = list_length(rng) // 2 + 1
    o.field("ATOMS", "AbilityChoice", "ability_choice", "ls",
            [rng.choice(ABILITIES) for _ in range(count)])
    o.field("INTEGERS", "AbilityLevel", "ability_level", "li", integers(rng, count, 1, 5))
    o.field("FLOATS", "AbilityProficiency", "ability_proficiency", "lf",
            floats(rng, count, 0, 1))
    if rng.random() < 0.3:
        stops = rng.randint(2, 10)
        o.field("ATOMS", "WayptLocations", "waypt_locations", "ls",
                objects_of(names, rng, "location", i, stops))
        o.field("ATOMS", "WayptConditions", "waypt_conditions", "ls",
                [rng.choice(CONDITIONS) for _ in range(stops)])
        o.field("INTEGERS", "WayptTimeFlags", "waypt_time_flags", "li",
                integers(rng, stops, 1, 15))
        o.field("ATOMS", "WayptRoles", "waypt_roles", "ls",
                [rng.choice(WAYPT_ROLES) for _ in range(stops)])
        o.field("ATOMS", "WayptSpots", "waypt_spots", "ls",
                [rng.choice(SPOTS) for _ in range(stops)])
    o.prop("INTEGER", "Health", [str(rng.randint(4, 400))])
    if rng.random() < 0.5:
        o.prop("INTEGERS", "History", integers(rng, list_length(rng)))
    if rng.random() < 0.3:
        o.prop("REFERENCES", "Friends", objects_of(names, rng, "character", i, rng.randint(1, 12)))
    return o


def make_lists_location(names, rng, i):
    o = Obj("generic", names.object(i), "location")
    o.prop("FLOATS", "Position", floats(rng, 3, -5000, 5000))
    o.prop("REFERENCES", "Exits", objects_of(names, rng, "location", i, rng.randint(1, 6)))
    o.prop("REFERENCES", "Spawns", objects_of(names, rng, "character", i, list_length(rng)))
    o.prop("ATOMS", "Ambience", tags(rng, rng.randint(1, 8)))
    return o


def make_loottable(names, rng, i):
    o = Obj("generic", names.object(i), "loottable")
    count = list_length(rng)
    o.prop("REFERENCES", "Entries", objects_of(names, rng, "item", i, count))
    o.prop("INTEGERS", "Weights", integers(rng, count, 1, 1000))
    if rng.random() < 0.25:
        o.prop("FLOATS", "Chances", floats(rng, count, 0, 1, 3))
    o.prop("INTEGER", "Rolls", [str(rng.randint(1, 6))])
    return o


def make_path(names, rng, i):
    o = Obj("generic", names.object(i), "path")
    o.prop("FLOATS", "Points", floats(rng, 3 * (list_length(rng) // 3 + 1), -5000, 5000))
    o.prop("REFERENCES", "Stops", objects_of(names, rng, "location", i, rng.randint(1, 6)))
    o.prop("ATOMS", "Moods", tags(rng, rng.randint(1, 6)))
    return o


def make_spawner(names, rng, i):
    o = Obj("generic", names.object(i), "spawner")
    count = list_length(rng)
    o.prop("REFERENCES", "Spawns", objects_of(names, rng, "character", i, count))
    o.prop("INTEGERS", "Counts", integers(rng, count, 1, 20))
    o.prop("FLOAT", "Delay", [decimal(rng, 0, 600, 1)])
    return o


def make_tagset(names, rng, i):
    o = Obj("generic", names.object(i), "tagset")
    count = list_length(rng)
    o.prop("ATOMS", "Tags", tags(rng, count))
    if rng.random() < 0.3:
        o.prop("INTEGERS", "Order", integers(rng, count, 0, 100000))
    return o


# small: many objects of zero to three short lines.

def make_small_item(names, rng, i):
    o = Obj("item", names.object(i), "item")
    roll = rng.random()
    if roll < 0.1:
        return o
    o.field("ATOM", "Type", "item_type", "s", [names.item_type(i)])
    if roll < 0.5:
        o.item_range("Price", str(rng.randint(1, 500)))
    if roll > 0.85:
        o.field("ATOMS", "STR_Desc", "str_desc", "ls", [names.random_string(rng)])
    return o


def make_small_character(names, rng, i):
    o = Obj("character", names.object(i), "character")
    if rng.random() < 0.1:
        return o
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    if rng.random() < 0.5:
        o.prop("INTEGER", "Health", [str(rng.randint(4, 400))])
    return o


def make_small_generic(names, rng, i):
    kind = names.kind(i)
    o = Obj("generic", names.object(i), kind)
    if rng.random() < 0.1:
        return o
    if kind == "tag":
        o.prop("ATOM", "Group", [rng.choice(LIST_TAGS)])
    elif kind == "flag":
        o.prop("INTEGER", "Value", [str(rng.randint(0, 1))])
    elif kind == "sound":
        o.prop("ATOM", "File", [f"sfx_{rng.choice(LIST_TAGS)}_{rng.randrange(100)}"])
        if rng.random() < 0.3:
            o.prop("FLOAT", "Volume", [decimal(rng, 0, 1, 2)])
    else:
        o.prop("REFERENCE", "Next", [names.random_object(rng, "marker", i)])
        if rng.random() < 0.3:
            o.prop("FLOATS", "Position", floats(rng, 2, -5000, 5000))
    return o


# large: one object per fifty units, each with 200 to 1,000 properties.

def large_name(k):
    return f"{LARGE_STEMS[mix(k, 0) % len(LARGE_STEMS)]}{k}"


def large_reference(names, rng, i):
    return names.random_object(rng, rng.choice(("item", "character", "region", "faction")), i)


def add_large_typed(o, names, rng, i, count):
    for k in range(count):
        name, roll = large_name(k), rng.random()
        if roll < 0.30:
            o.prop("INTEGER", name, [str(rng.randint(-1000, 100000))])
        elif roll < 0.55:
            o.prop("FLOAT", name, [decimal(rng, -1000, 1000, 3)])
        elif roll < 0.70:
            o.prop("ATOM", name, tags(rng, 1))
        elif roll < 0.80:
            o.prop("REFERENCE", name, [large_reference(names, rng, i)])
        elif roll < 0.88:
            o.prop("INTEGERS", name, integers(rng, rng.randint(2, 8)))
        elif roll < 0.94:
            o.prop("FLOATS", name, floats(rng, rng.randint(2, 6)))
        elif roll < 0.98:
            o.prop("ATOMS", name, tags(rng, rng.randint(2, 6)))
        else:
            o.prop("REFERENCES", name, [large_reference(names, rng, i)
                                        for _ in range(rng.randint(1, 4))])


def make_large_item(names, rng, i):
    item_type = names.item_type(i)
    o = Obj("item", names.object(i), "item")
    o.field("ATOM", "Type", "item_type", "s", [item_type])
    o.field("ATOM", "Class", "item_class", "s", [rng.choice(ITEM_CLASSES[item_type])])
    o.field("ATOMS", "STR_Desc", "str_desc", "ls", [names.random_string(rng)])
    o.field("ATOMS", "Materials", "materials", "ls", sample(rng, MATERIALS, 1, 4))
    for k in range(rng.randint(200, 1000)):
        roll = rng.random()
        if roll < 0.6:
            low = decimal(rng, 0, 100, 2)
            o.item_range(large_name(k), low, decimal(rng, float(low), 200, 2))
        elif roll < 0.85:
            o.item_pair("ATOM", large_name(k), tags(rng, 1)[0])
        else:
            o.item_pair("REFERENCE", large_name(k), large_reference(names, rng, i))
    return o


def make_large_character(names, rng, i):
    o = Obj("character", names.object(i), "character")
    o.field("ATOM", "Puppet", "puppet", "s", [rng.choice(PUPPETS)])
    o.field("ATOM", "Role", "role", "s", [rng.choice(ROLES)])
    abilities = sample(rng, ABILITIES, 1, 6)
    o.field("ATOMS", "AbilityChoice", "ability_choice", "ls", abilities)
    o.field("INTEGERS", "AbilityLevel", "ability_level", "li", integers(rng, len(abilities), 1, 5))
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    add_large_typed(o, names, rng, i, rng.randint(200, 1000))
    return o


def make_large_generic(names, rng, i):
    o = Obj("generic", names.object(i), names.kind(i))
    o.prop("ATOM", "STR_Name", [names.random_string(rng)])
    add_large_typed(o, names, rng, i, rng.randint(200, 1000))
    return o


# extend: the default mix's objects, each extended by up to EXTEND_ROUNDS later blocks in
# files of their own. Round r's files hold its blocks in an order of the objects that
# differs per round, so every file extends objects from all over the project and every
# object is extended in several files. Any worker computes a block from (object, round)
# alone: the base file's worker merges the blocks into the JSON and protobuf forms,
# the extension file's worker writes them.

EXTEND_ROUNDS = 6
EXTEND_CHANCE = 60  # percent of the objects extended in each round
EXTEND_PER_FILE = 5000  # objects considered per extension file


def extend_type_roll(names, i):
    return (mix(i + 0x7E57, names.seed) % 1000) / 1000


def make_extend_character(names, rng, i):
    return make_character(names, rng, i, extend_type_roll(names, i))


def extended_in(names, i, r):
    return mix(i * EXTEND_ROUNDS + r + 0xE7E7, names.seed) % 100 < EXTEND_CHANCE


def extension_order(count, seed, r):
    """The affine permutation (a, b) of round r: position t holds object (a t + b) mod count."""
    a = mix(r + 0xA11, seed) % count | 1
    while math.gcd(a, count) != 1:
        a += 2
    return a, mix(r + 0xB22, seed) % count


# An extension block sets properties that no earlier block of its object sets, as real
# extension blocks do: each object's rounds take turns through a list of properties that
# its first block never sets, EXTEND_SLOTS a round, from an offset of the object's own.
EXTEND_SLOTS = 2


def ext_property(o, names, rng, i, which):
    if which == 0:
        o.prop("INTEGER", "FestivalBonus", [str(rng.randint(0, 500))])
    elif which == 1:
        o.prop("INTEGER", "Renown", [str(rng.randint(0, 100))])
    elif which == 2:
        o.prop("FLOAT", "Challenge", [decimal(rng, 0, 10, 2)])
    elif which == 3:
        o.prop("ATOM", "Season", [rng.choice(SEASONS)])
    elif which == 4:
        o.prop("ATOMS", "Tags", tags(rng, rng.randint(1, 4)))
    elif which == 5:
        o.prop("REFERENCE", "Sponsor", [names.random_object(rng, "character", i)])
    elif which == 6:
        o.prop("REFERENCES", "Related", [names.random_object(rng, rng.choice(
            ("item", "character", "location")), i) for _ in range(rng.randint(1, 3))])
    elif which == 7:
        o.prop("INTEGERS", "Unlocks", integers(rng, rng.randint(1, 4), 0, 999))
    elif which == 8:
        o.prop("FLOATS", "Weights", floats(rng, rng.randint(1, 4), 0, 1))
    elif which == 9:
        o.prop("INTEGER", "Bounty", [str(rng.randint(0, 2000))])
    elif which == 10:
        o.prop("ATOM", "Omen", [rng.choice(EFFECTS)])
    else:
        o.prop("REFERENCES", "Allies",
               [names.random_object(rng, "character", i) for _ in range(rng.randint(1, 3))])


EXT_PROPERTIES = 12


def ext_item_property(o, names, rng, i, which):
    if which == 0:
        low = rng.randint(10, 90)
        o.item_range("Durability", str(low), str(low + rng.randint(0, 50)))
    elif which == 1:
        o.item_range("Enchantment", decimal(rng, 0, 5, 1))
    elif which == 2:
        o.item_pair("ATOM", "Festival", rng.choice(SEASONS))
    elif which == 3:
        o.item_pair("REFERENCE", "Owner", names.random_object(rng, "character", i))
    elif which == 4:
        o.item_range("Charges", str(rng.randint(1, 20)))
    elif which == 5:
        low = rng.randint(1, 10)
        o.item_range("Sharpness", str(low), str(low + rng.randint(0, 10)))
    elif which == 6:
        o.item_range("Appraisal", str(rng.randint(1, 9000)))
    elif which == 7:
        o.item_range("Wear", decimal(rng, 0, 1, 2))
    elif which == 8:
        o.item_pair("ATOM", "Origin", rng.choice(PLACES))
    elif which == 9:
        o.item_pair("ATOM", "Curse", rng.choice(EFFECTS))
    elif which == 10:
        o.item_pair("ATOM", "Blessing", rng.choice(EFFECTS))
    else:
        o.item_pair("REFERENCE", "Forger", names.random_object(rng, "character", i))


EXT_ITEM_PROPERTIES = 12
assert EXTEND_ROUNDS * EXTEND_SLOTS <= min(EXT_PROPERTIES, EXT_ITEM_PROPERTIES)


def ext_slots(names, i, r, rng, count):
    """The properties object i's block of round r sets: its own slots, never another
    round's."""
    offset = mix(i + 0x0FF5, names.seed)
    return [(offset + EXTEND_SLOTS * r + k) for k in range(rng.randint(1, count))]


def make_extension(names, i, r):
    """Object i's extension block of round r: what it adds and, as lines, how."""
    rng = random.Random(mix(i * EXTEND_ROUNDS + r, names.seed ^ 0xB10C))
    kind = names.kind(i)
    if kind == "item":
        o = Obj("item", names.object(i), "item")
        for which in ext_slots(names, i, r, rng, EXTEND_SLOTS):
            ext_item_property(o, names, rng, i, which % EXT_ITEM_PROPERTIES)
        # The one fixed field no first block sets, in one round of the object's own.
        if r == mix(i + 0x3FF3, names.seed) % EXTEND_ROUNDS and rng.random() < 0.5:
            o.field("ATOMS", "EffectMacro_2", "effect_macro_2", "ls", sample(rng, EFFECTS, 1, 3))
        return o
    if kind == "character":
        o = Obj("character", names.object(i), "character")
        char_type = character_type(extend_type_roll(names, i))
        if char_type:  # each block decides the type: without a Type line it is a plain one
            o.field("ATOM", "Type", "type", "enum", [char_type])
    else:
        o = Obj("generic", names.object(i), kind)
    for which in ext_slots(names, i, r, rng, EXTEND_SLOTS):
        ext_property(o, names, rng, i, which % EXT_PROPERTIES)
    return o


def merge_extension(o, block):
    """What the compiler does with a later block: fixed fields replaced, the rest appended."""
    for key, kind, values in block.fixed:
        o.fixed = [f for f in o.fixed if f[0] != key] + [(key, kind, values)]
    for key, entries in block.props.items():
        o.props.setdefault(key, []).extend(entries)


# Rendering. JSON and protobuf text get the same values as the sources, as the same
# decimal text for numbers, so that all three compile to the same information.

def js(text):
    return json.dumps(text, ensure_ascii=False)


def pb(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def rpgc_object(o):
    return f"BEGIN {o.header_type} {o.name}\n" + "\n".join(o.lines) + "\nEND\n\n"


def rpgc_string(name, random_flag, texts):
    head = f"STRING {name} RANDOM\n" if random_flag else f"STRING {name}\n"
    # Blanks around texts fold away; an indented text reads like one that is not.
    return head + "".join(("  " if len(t) % 3 == 0 else "") + t + "\n" for t in texts) + "END\n\n"


def value_json(values, numeric):
    return "[" + ",".join(values if numeric else map(js, values)) + "]"


def json_props(o, parts):
    for key, entries in o.props.items():
        items = []
        for name, values in entries:
            if key == "ranges":
                items.append(f'{{"name":{js(name)},"min":{values[0]},"max":{values[1]}}}')
            elif key.endswith("_lists"):
                numeric = key in NUMBER_KEYS
                items.append(f'{{"name":{js(name)},"values":'
                             f'{value_json(values, numeric)}}}')
            else:
                value = values[0] if key in NUMBER_KEYS else js(values[0])
                items.append(f'{{"name":{js(name)},"value":{value}}}')
        parts.append(f'"{key}":[{",".join(items)}]')


JSON_KINDS = {"item": "Item", "character": "Character", "generic": "Generic"}


def json_object(o):
    parts = [f'"name":{js(o.name)}']
    if o.kind == "generic":
        parts.append(f'"type":{js(o.header_type)}')
    for key, kind, values in o.fixed:
        if kind == "enum":
            parts.append(f'"{key}":"{values[0].capitalize()}"')
        elif kind == "s":
            parts.append(f'"{key}":{js(values[0])}')
        elif kind == "i":
            parts.append(f'"{key}":{values[0]}')
        else:
            parts.append(f'"{key}":{value_json(values, kind != "ls")}')
    json_props(o, parts)
    return f'{{"kind_type":"{JSON_KINDS[o.kind]}","kind":{{{",".join(parts)}}}}}'


def json_string(name, random_flag, texts):
    flag = ',"random":true' if random_flag else ""
    return f'{{"name":{js(name)}{flag},"texts":[{",".join(map(js, texts))}]}}'


def pb_props(o, parts):
    for key, entries in o.props.items():
        for name, values in entries:
            if key == "ranges":
                parts.append(f"{key} {{ name: {pb(name)} min: {values[0]} max: {values[1]} }}")
            elif key.endswith("_lists"):
                shown = values if key in NUMBER_KEYS else map(pb, values)
                parts.append(f"{key} {{ name: {pb(name)} values: [{', '.join(shown)}] }}")
            else:
                value = values[0] if key in NUMBER_KEYS else pb(values[0])
                parts.append(f"{key} {{ name: {pb(name)} value: {value} }}")


def pb_object(o):
    parts = [f"name: {pb(o.name)}"]
    if o.kind == "generic":
        parts.append(f"type: {pb(o.header_type)}")
    for key, kind, values in o.fixed:
        if kind == "enum":
            parts.append(f"{key}: {values[0].upper()}")
        elif kind == "s":
            parts.append(f"{key}: {pb(values[0])}")
        elif kind == "i":
            parts.append(f"{key}: {values[0]}")
        else:
            shown = map(pb, values) if kind == "ls" else values
            parts.append(f"{key}: [{', '.join(shown)}]")
    pb_props(o, parts)
    return f"objects {{ {o.kind} {{ {' '.join(parts)} }} }}\n"


def pb_string(name, random_flag, texts):
    flag = " random: true" if random_flag else ""
    shown = ", ".join(map(pb, texts))
    return f"strings {{ name: {pb(name)}{flag} texts: [{shown}] }}\n"


class ObjectMix:
    """A mix whose unit is an object: files of per_file objects, a string section after
    every strings_every-th object. With scale > 1, N units make N / scale objects."""

    def __init__(self, name, kind_counts, makers, per_file, strings_every,
                 make_section=make_string, render_section=rpgc_string, scale=1):
        self.name = name
        self.kind_counts = kind_counts
        self.makers = makers
        self.per_file = per_file
        self.strings_every = strings_every
        self.make_section = make_section
        self.render_section = render_section
        self.scale = scale

    def objects(self, n):
        return n if self.scale == 1 else max(1, n // self.scale)

    def names(self, n, seed):
        objects = self.objects(n)
        return Names(objects, seed, self.kind_counts, max(1, objects // self.strings_every))

    def file_names(self, n):
        return [f"content{k:04d}.txt" for k in range(-(-self.objects(n) // self.per_file))]

    def stream(self, seed, file_index):
        # The default mix keeps the streams it always had, so its content stays the same.
        if self.name == "default":
            return random.Random(f"{seed}:{file_index}")
        return random.Random(f"{seed}:{self.name}:{file_index}")

    def object(self, names, rng, i):
        return self.makers[names.kind(i)](names, rng, i)

    def file_content(self, names, rng, file_index):
        """The objects and string sections of one source file, in order."""
        count, every = names.count, self.strings_every
        first = file_index * self.per_file
        for i in range(first, min(count, first + self.per_file)):
            yield "object", self.object(names, rng, i)
            if i % every == every - 1 or count < every and i == 0:
                yield "string", self.make_section(names, rng, i // every)


class StringsMix(ObjectMix):
    """A mix whose unit is a string section: files of per_file sections, an object after
    every tenth section."""

    def names(self, n, seed):
        return Names(max(1, n // self.strings_every), seed, self.kind_counts, max(1, n))

    def file_names(self, n):
        return [f"content{k:04d}.txt" for k in range(-(-max(1, n) // self.per_file))]

    def file_content(self, names, rng, file_index):
        count, every = names.string_count, self.strings_every
        first = file_index * self.per_file
        for k in range(first, min(count, first + self.per_file)):
            yield "string", self.make_section(names, rng, k)
            if k % every == every - 1 or count < every and k == 0:
                yield "object", self.object(names, rng, k // every)


class ExtendMix(ObjectMix):
    """The default objects in the first files, then EXTEND_ROUNDS rounds of extension
    files. The JSON and protobuf forms hold each object as the compiler leaves it after
    all its blocks."""

    def extension_files(self, n):
        return EXTEND_ROUNDS * -(-n // EXTEND_PER_FILE)

    def file_names(self, n):
        return (super().file_names(n) +
                [f"extend{k:04d}.txt" for k in range(self.extension_files(n))])

    def object(self, names, rng, i):
        o = super().object(names, rng, i)
        for r in range(EXTEND_ROUNDS):
            if extended_in(names, i, r):
                merge_extension(o, make_extension(names, i, r))
        return o

    def file_content(self, names, rng, file_index):
        base_files = -(-names.count // self.per_file)
        if file_index < base_files:
            yield from super().file_content(names, rng, file_index)
            return
        per_round = -(-names.count // EXTEND_PER_FILE)
        r, chunk = divmod(file_index - base_files, per_round)
        a, b = extension_order(names.count, names.seed, r)
        first = chunk * EXTEND_PER_FILE
        for t in range(first, min(names.count, first + EXTEND_PER_FILE)):
            i = (a * t + b) % names.count
            if extended_in(names, i, r):
                yield "extension", make_extension(names, i, r)


MIXES = {mix_.name: mix_ for mix_ in (
    ObjectMix("default", KIND_COUNTS, MAKERS, PER_FILE, STRINGS_EVERY),
    StringsMix("strings", (("item", 30), ("character", 25), ("quest", 20), ("location", 10),
                           ("book", 15)),
               {"item": make_strings_item, "character": make_strings_character,
                "quest": make_strings_quest, "location": make_strings_location,
                "book": make_strings_book},
               5000, 10, make_long_string, rpgc_long_string),
    ObjectMix("lists", (("item", 15), ("character", 20), ("location", 10), ("loottable", 20),
                        ("path", 15), ("spawner", 10), ("tagset", 10)),
              {"item": make_lists_item, "character": make_lists_character,
               "location": make_lists_location, "loottable": make_loottable,
               "path": make_path, "spawner": make_spawner, "tagset": make_tagset},
              2500, 10),
    ObjectMix("small", (("item", 20), ("character", 15), ("tag", 25), ("flag", 15),
                        ("sound", 15), ("marker", 10)),
              {"item": make_small_item, "character": make_small_character,
               "tag": make_small_generic, "flag": make_small_generic,
               "sound": make_small_generic, "marker": make_small_generic},
              30000, 20),
    ObjectMix("large", (("item", 25), ("character", 25), ("region", 30), ("faction", 20)),
              {"item": make_large_item, "character": make_large_character,
               "region": make_large_generic, "faction": make_large_generic},
              50, 1, scale=50),
    ExtendMix("extend", KIND_COUNTS, dict(MAKERS, character=make_extend_character),
              PER_FILE, STRINGS_EVERY),
)}


def make_file(task):
    """The three renderings of one source file's objects and string sections (extension
    blocks only as sources: their content is in their objects' JSON and protobuf), and
    the counts of objects, string sections and blocks in the file."""
    mix_name, count, seed, file_index, formats = task
    content_mix = MIXES[mix_name]
    names = content_mix.names(count, seed)
    rng = content_mix.stream(seed, file_index)
    source, json_objects, json_strings, txtpb = [], [], [], []
    objects = sections = blocks = 0
    for what, thing in content_mix.file_content(names, rng, file_index):
        if what == "string":
            sections += 1
            source.append(content_mix.render_section(*thing))
            if "json" in formats:
                json_strings.append(json_string(*thing))
            if "txtpb" in formats:
                txtpb.append(pb_string(*thing))
            continue
        blocks += 1
        source.append(rpgc_object(thing))
        if what == "extension":
            continue
        objects += 1
        if "json" in formats:
            json_objects.append(json_object(thing))
        if "txtpb" in formats:
            txtpb.append(pb_object(thing))
    return ("; generated content\n\n" + "".join(source),
            ",\n".join(json_objects), ",\n".join(json_strings), "".join(txtpb),
            (objects, sections, blocks))


def write_project(count, folder, seed, formats, mix_name="default"):
    os.makedirs(folder, exist_ok=True)
    files = MIXES[mix_name].file_names(count)
    tasks = [(mix_name, count, seed, k, formats) for k in range(len(files))]
    json_out = open(os.path.join(folder, "data.json"), "w") if "json" in formats else None
    pb_out = open(os.path.join(folder, "data.txtpb"), "w") if "txtpb" in formats else None
    strings = []
    if json_out:
        json_out.write('{"project":"Generated","version":1.0,\n"objects":[\n')
    if pb_out:
        pb_out.write('project: "Generated"\nversion: 1.0\n')
    workers = min(len(tasks), os.cpu_count() or 1)
    wrote_objects = False
    totals = [0, 0, 0, 0]  # objects, string sections, blocks, bytes of sources
    with multiprocessing.Pool(workers) as pool:
        for k, (source, objs, strs, txtpb, counts) in enumerate(pool.imap(make_file, tasks)):
            with open(os.path.join(folder, files[k]), "w") as out:
                out.write(source)
                totals = [a + b for a, b in zip(totals, counts + (out.tell(),))]
            if json_out:
                if objs:
                    json_out.write((",\n" if wrote_objects else "") + objs)
                    wrote_objects = True
                if strs:
                    strings.append(strs)
            if pb_out:
                pb_out.write(txtpb)
    if json_out:
        json_out.write('\n],\n"strings":[\n' + ",\n".join(strings) + "\n]}\n")
        json_out.close()
    if pb_out:
        pb_out.close()
    with open(os.path.join(folder, "duskvale.gdm"), "w") as out:
        out.write("Generated\n1.0\ngenerated\n" + "\n".join(files) + "\n")
    objects, sections, blocks, size = totals
    print(f"{mix_name}: {objects:,} objects, {sections:,} string sections, {blocks:,} blocks "
          f"in {len(files):,} files, {size / 1e6:.1f} MB of sources")


def write_hostile_atoms(size, folder, lines):
    """One object whose ATOMS lines hold distinct names, size bytes in all."""
    os.makedirs(folder, exist_ok=True)
    per_line = size // lines
    k = 0
    with open(os.path.join(folder, "hostile.txt"), "w") as out:
        out.write("BEGIN quest Hostile\n")
        for line in range(lines):
            out.write(f"ATOMS Names{line} =")
            written = 0
            while written < per_line:
                chunk = "".join(f" n{j:x}" for j in range(k, k + 100000))
                k += 100000
                out.write(chunk)
                written += len(chunk)
            out.write("\n")
        out.write("END\n\n")
    return k


def write_hostile_tokens(count, folder):
    """One object with an ATOMS line of count one-byte values."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "hostile.txt"), "w") as out:
        out.write("BEGIN quest Hostile\nATOMS M =")
        for start in range(0, count, 1000000):
            out.write(" x" * min(1000000, count - start))
        out.write("\nEND\n\n")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "hostile-atoms":
        lines = int(sys.argv[4]) if len(sys.argv) > 4 else 1
        write_hostile_atoms(int(sys.argv[2]), sys.argv[3], lines)
        return
    if len(sys.argv) > 1 and sys.argv[1] == "hostile-tokens":
        write_hostile_tokens(int(sys.argv[2]), sys.argv[3])
        return
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--mix", choices=tuple(MIXES), default="default",
                        help="the kind of content (see bench/README.md)")
    parser.add_argument("--formats", default="rpgc,json,txtpb",
                        help="comma-separated: rpgc (always written), json, txtpb")
    parser.add_argument("count", type=int, help="objects (string sections for --mix strings, "
                        "a fiftieth of an object for --mix large)")
    parser.add_argument("folder")
    args = parser.parse_args()
    write_project(args.count, args.folder, args.seed, set(args.formats.split(",")), args.mix)


if __name__ == "__main__":
    main()
